#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/core/core_platform.h"
#include "platform/core/ini_file.h"
#include "platform/core/special_folders.h"
#include "platform/core/wide_text.h"
#include "platform/core/win32_io.h"

namespace kalvor {

bool CorePlatform::RemoveFile(std::string_view path) {
  if (path.empty()) return false;
  const std::wstring name = WidePath(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  // A read-only file goes as on Linux, where only the folder's permissions count.
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (DeleteFileW(name.c_str())) return true;
  SetFileAttributesW(name.c_str(), attributes);
  return false;
}

bool CorePlatform::WriteBytesToFile(std::string_view path,
                                    std::initializer_list<std::span<const std::uint8_t>> blocks) {
  if (path.empty()) return false;
  // Exclusive access: a file that another program has open (a running copy's library, say) is
  // left alone. It is truncated only once it is ours.
  const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = SetEndOfFile(file) != 0;
  for (const auto& block : blocks) {
    ok = ok && WriteAll(file, block.data(), block.size());
  }
  return CloseHandle(file) != 0 && ok;
}

void CorePlatform::PrepareProcess(const char* /*argv0*/) {
  const std::string folder = SpecialFolders::ProgramFolder();
  if (!folder.empty() && !SetCurrentDirectoryW(WidePath(folder).c_str())) {
    std::fputs("kalvor: cannot enter the program's folder\n", stderr);
  }
  for (const std::int32_t code : {8, 10}) {
    const std::string path = SpecialFolders::Get(code);
    std::error_code ignored;
    if (!path.empty()) std::filesystem::create_directories(WidePath(path), ignored);
  }
  // A board killed while it replaced data.ini left its temporary file behind.
  IniFile::RemoveAbandonedTemporaries(SpecialFolders::Get(8));
}

}  // namespace kalvor
