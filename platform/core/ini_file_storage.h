// The file operations under IniFile, one implementation per system (ini_file_posix.cpp,
// ini_file_win32.cpp): reading a whole file, and rewriting one by writing its new contents to a
// temporary file beside it and putting that in its place in one step.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ini_file.h"

namespace kalvor::ini_storage {

// Reads the whole file into `buffer` (which keeps its capacity between calls); false when it
// cannot be opened or read.
bool ReadAll(const std::string& path, std::vector<char>& buffer, std::size_t& size);

// Rewrites the file at `path` (the file behind it, where it is a link): `edit` gets the current
// contents ("" for a missing file) and returns the new ones, or nothing to leave the file as it
// is. False when the file is no regular file, is read-only, cannot be read or cannot be
// replaced. A new file gets the system's usual permissions; a replaced one keeps its own. `hook`
// (may be null) runs between writing the temporary file and replacing.
bool Rewrite(const std::string& path,
             const std::function<std::optional<std::string>(std::string_view)>& edit,
             IniFile::ReplaceHook hook);

// The process id in the name of a temporary file "<file>.tmp<process id>-<n>" that Rewrite
// makes; 0 for any other name.
unsigned long TemporaryOwner(std::string_view name);

// Removes from the folder the temporaries (see TemporaryOwner) whose process has ended, and
// those under this process's own id, which an earlier process with the same id left.
void RemoveTemporariesOfEndedWriters(const std::string& folder);

}  // namespace kalvor::ini_storage
