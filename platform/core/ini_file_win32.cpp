#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "platform/core/ini_file_storage.h"
#include "platform/core/wide_text.h"
#include "platform/core/win32_io.h"

namespace kalvor::ini_storage {
namespace {

// Readers share everything, so a write can replace the file while another copy of the program
// reads it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    const bool ok = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

bool ReadWholeFile(const std::wstring& path, std::vector<char>& buffer, std::size_t& size) {
  const Handle file(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  if (buffer.size() < 64 * 1024) buffer.resize(64 * 1024);
  size = 0;
  for (;;) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - size, 1u << 30));
    if (!ReadFile(file.get(), buffer.data() + size, want, &n, nullptr)) return false;
    size += n;
    if (n == 0) return true;
    if (size == buffer.size()) buffer.resize(buffer.size() * 2);
  }
}

// Moves the temporary file over the target. A program that holds the target open without
// sharing its removal (a virus scanner, say) only delays the move a little.
bool MoveOver(const std::wstring& temporary, const std::wstring& target) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    if (attempt == 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) {
      return false;
    }
    Sleep(10);
  }
}

}  // namespace

bool ReadAll(const std::string& path, std::vector<char>& buffer, std::size_t& size) {
  return ReadWholeFile(WidePath(path), buffer, size);
}

bool Rewrite(const std::string& path,
             const std::function<std::optional<std::string>(std::string_view)>& edit,
             IniFile::ReplaceHook hook) {
  // A link is followed: the file it points to is replaced, the link stays.
  std::wstring target = WidePath(path);
  std::error_code error;
  if (std::filesystem::is_symlink(target, error)) {
    const std::filesystem::path real = std::filesystem::canonical(target, error);
    if (!error) target = real.wstring();
  }

  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return false;
  }
  std::vector<char> buffer;
  std::size_t size = 0;
  if (exists && !ReadWholeFile(target, buffer, size)) return false;
  const std::optional<std::string> content = edit(std::string_view(buffer.data(), size));
  if (!content) return true;

  static std::atomic<unsigned> counter{0};
  std::wstring temporary;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++);
    // A replaced file keeps its attributes (hidden, say); a new one gets the usual ones.
    created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          exists ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  Handle file(created);
  if (!file.valid()) return false;
  bool ok =
      WriteAll(file.get(), content->data(), content->size()) && FlushFileBuffers(file.get()) != 0;
  ok = file.close() && ok;
  if (ok) {
    if (hook != nullptr) hook(Narrow(temporary).c_str());
    ok = MoveOver(temporary, target);
  }
  if (!ok) DeleteFileW(temporary.c_str());
  return ok;
}

void RemoveTemporariesOfEndedWriters(const std::string& folder) {
  std::wstring prefix = WidePath(folder);
  if (!prefix.empty() && prefix.back() != L'\\' && prefix.back() != L'/') prefix += L'\\';
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((prefix + L"*.tmp*-*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const unsigned long self = GetCurrentProcessId();
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const unsigned long owner = TemporaryOwner(Narrow(found.cFileName));
    if (owner == 0) continue;
    if (owner != self) {
      // A process that runs (or that we may not look at) keeps its file.
      const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(owner));
      if (process == nullptr && GetLastError() == ERROR_ACCESS_DENIED) continue;
      if (process != nullptr) {
        const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        CloseHandle(process);
        if (runs) continue;
      }
    }
    DeleteFileW((prefix + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace kalvor::ini_storage
