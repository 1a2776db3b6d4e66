// Reading and writing INI files by the rules of the Windows profile functions, on GBK files that
// the Windows edition of the program shares: section lines "[name]" and key lines "key=value".
//
// Names are matched without regard to the case of ASCII letters; the trail byte of a double-byte
// character is never case-folded. Reading trims blanks around the value and removes one pair of
// enclosing quotes. Writing keeps every other byte of the file as it was, keeps its line ends, and
// replaces the file in one step (a temporary file in the same folder is renamed over it), so a
// crash never leaves a half-written file behind. Nothing is cached: every call works on the file
// as it is on disk.
#pragma once

#include <string>
#include <string_view>

namespace kalvor {

class IniFile {
 public:
  // Longest value returned, in bytes of the file (the Windows edition reads into 10240 bytes).
  static constexpr std::size_t kMaxValueBytes = 10239;

  // Leading bytes 1..32 of the path, and blanks around section and key (and inside the brackets
  // of a section line), are skipped; when one of the three is then empty the result is ""
  // whatever the default. A missing file, section or key (or a key line without "=") gives the
  // default.
  static std::string Read(std::string_view path, std::string_view section, std::string_view key,
                          std::string_view defaultValue);
  // Creates the file, the section (at the end of the file) and the key (at the end of its
  // section) as needed and replaces the value. An empty key writes the line "=value" and an empty
  // section the header "[]", as the profile functions do; neither can be read back. Leading
  // blanks of the value are dropped, and line breaks in names and value become blanks. False when
  // the path is empty, the file is read-only or cannot be replaced.
  static bool Write(std::string_view path, std::string_view section, std::string_view key,
                    std::string_view value);

  // Removes from the folder the temporary files of writes that never finished: a writer killed
  // between writing its temporary file ("<file>.tmp<process id>-<n>") and renaming it leaves it
  // behind. Only those of processes that have ended go; another running writer's stay. Meant for
  // the start of a process, before it writes: temporaries under its own process id are then left
  // over from an earlier process that had the same number.
  static void RemoveAbandonedTemporaries(std::string_view folder);

  // Test hook: called with the temporary file's path after it has been written and flushed,
  // before it replaces the file.
  using ReplaceHook = void (*)(const char* temporaryPath);
  static void SetReplaceHookForTesting(ReplaceHook hook);
};

}  // namespace kalvor
