#include <windows.h>

#include "tests/platform/core/core_test_support.h"

namespace kalvor::test {
namespace {

std::wstring Wide(const std::string& utf8) {
  return FilePath(utf8).get().wstring();
}

}  // namespace

const int kFatalExitStatus = -1;
const char* const kSystemMathLibrary = "msvcrt.dll";

ScopedHome::ScopedHome(const std::string&) {}

ScopedHome::~ScopedHome() = default;

std::string TestProgramFolder() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return TempDir::Utf8(std::filesystem::path(std::wstring(path, n)).parent_path()) + "\\";
}

bool LibraryLoaded(const std::string& path) {
  return GetModuleHandleW(Wide(path).c_str()) != nullptr;
}

bool ReadOnlyIsEnforced(const std::string&) {
  return true;
}

void MakeReadOnly(const std::string& path, bool readOnly) {
  SetFileAttributesW(Wide(path).c_str(),
                     readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

std::unique_ptr<ExclusiveHold> ExclusiveHold::On(const std::string& path) {
  class Handle : public ExclusiveHold {
   public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() override { CloseHandle(handle_); }

   private:
    HANDLE handle_;
  };
  // Open for reading, sharing reading only: no one else may write.
  const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Handle>(handle);
}

}  // namespace kalvor::test
