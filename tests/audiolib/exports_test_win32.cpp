// The program binds the library's functions by name from bass.dll: exactly these must be exported,
// and the DLL must need nothing beyond what Windows has (no C++ runtime or thread library of
// mingw's beside it).
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "tests/audiolib/library_functions.h"

namespace kalvor::test {
namespace {

// The DLL's PE headers, as loaded.
struct LoadedImage {
  const BYTE* base;
  const IMAGE_DATA_DIRECTORY& directory(int entry) const {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[entry];
  }
  template <typename T>
  const T* at(DWORD rva) const {
    return reinterpret_cast<const T*>(base + rva);
  }
};

class LibraryDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = LoadLibraryW(L"bass.dll");  // from the program's own folder first
    ASSERT_NE(library_, nullptr) << GetLastError();
  }
  void TearDown() override { FreeLibrary(library_); }

  LoadedImage image() const { return {reinterpret_cast<const BYTE*>(library_)}; }

  HMODULE library_ = nullptr;
};

TEST_F(LibraryDllTest, ExportTableHoldsExactlyTheSeventeenFunctions) {
  const LoadedImage dll = image();
  const auto* exports =
      dll.at<IMAGE_EXPORT_DIRECTORY>(dll.directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
  EXPECT_EQ(exports->NumberOfFunctions, kLibraryFunctions.size());  // none by number only
  std::set<std::string> names;
  const DWORD* name_rvas = dll.at<DWORD>(exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(dll.at<char>(name_rvas[i]));
  EXPECT_EQ(names, kLibraryFunctions);
  for (const std::string& name : kLibraryFunctions) {
    EXPECT_NE(GetProcAddress(library_, name.c_str()), nullptr) << name;
  }
  using GetVersion = uint32_t (*)();
  auto* get_version = reinterpret_cast<GetVersion>(
      reinterpret_cast<void*>(GetProcAddress(library_, "BASS_GetVersion")));
  ASSERT_NE(get_version, nullptr);
  EXPECT_EQ(get_version(), 0x01000000u);
}

TEST_F(LibraryDllTest, ImportsOnlyWhatWindowsHas) {
  const LoadedImage dll = image();
  const std::set<std::string> windows = {"kernel32.dll", "msvcrt.dll",   "winmm.dll",
                                         "msacm32.dll",  "mfplat.dll",   "mfreadwrite.dll",
                                         "ole32.dll",    "propsys.dll",  "advapi32.dll",
                                         "user32.dll",   "oleaut32.dll", "shlwapi.dll"};
  const auto* import =
      dll.at<IMAGE_IMPORT_DESCRIPTOR>(dll.directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
  int count = 0;
  for (; import->Name != 0; ++import, ++count) {
    std::string name = dll.at<char>(import->Name);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(windows.contains(name)) << "bass.dll needs " << name;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace kalvor::test
