#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "platform/core/extraction_folder.h"
#include "platform/core/wide_text.h"
#include "platform/core/win32_io.h"

namespace kalvor {

struct ExtractionFolder::State {
  std::wstring root;  // without a trailing "\"
};

namespace {

std::wstring Below(const std::wstring& root, const std::vector<std::string>& parts,
                   std::size_t count) {
  std::wstring path = root;
  for (std::size_t i = 0; i < count; ++i) path += L'\\' + Widen(parts[i]);
  return path;
}

// Every folder on the way is made where missing. A link or junction on the way is refused, even
// one that stays inside the target: telling where it leads would race with whoever made it.
bool MakeFolders(const std::wstring& root, const std::vector<std::string>& parts,
                 std::size_t count) {
  for (std::size_t i = 1; i <= count; ++i) {
    const std::wstring folder = Below(root, parts, i);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
      }
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      return false;
    }
  }
  return true;
}

// Creates the file anew: an old one (read-only, hidden, or a link, of which only the link goes)
// is deleted first, so the new one has normal attributes.
HANDLE CreateFresh(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return INVALID_HANDLE_VALUE;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());  // a file in use stays and is overwritten below
  }
  return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The entry's MS-DOS date and time are local time.
void StampFile(HANDLE file, std::uint16_t dosDate, std::uint16_t dosTime) {
  FILETIME local{}, utc{};
  if (DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(file, nullptr, &utc, &utc);
  }
}

}  // namespace

ExtractionFolder::ExtractionFolder() : state_(std::make_unique<State>()) {}

ExtractionFolder::~ExtractionFolder() = default;

bool ExtractionFolder::Open(const std::string& path) {
  std::wstring root = WidePath(path);
  while (root.size() > 1 && root.back() == L'\\' && root[root.size() - 2] != L':') root.pop_back();
  std::error_code error;
  std::filesystem::create_directories(root, error);
  const DWORD attributes = GetFileAttributesW(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  if (root.back() == L'\\') root.pop_back();  // "C:\" itself
  state_->root = std::move(root);
  return true;
}

bool ExtractionFolder::MakeFolder(const std::vector<std::string>& parts, std::size_t count) {
  return MakeFolders(state_->root, parts, count);
}

bool ExtractionFolder::WriteFile(const std::vector<std::string>& parts, std::uint16_t dosDate,
                                 std::uint16_t dosTime,
                                 const std::function<bool(const Writer&)>& fill) {
  if (!MakeFolders(state_->root, parts, parts.size() - 1)) return false;
  const HANDLE file = CreateFresh(Below(state_->root, parts, parts.size()));
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok =
      fill([file](const char* data, std::size_t size) { return WriteAll(file, data, size); });
  if (ok) StampFile(file, dosDate, dosTime);
  return CloseHandle(file) != 0 && ok;
}

}  // namespace kalvor
