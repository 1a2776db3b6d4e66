// The special folders and the start of the process on Windows.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

// A folder the environment names, as UTF-8 with "\" at the end.
std::string FromEnvironment(const wchar_t* variable) {
  const wchar_t* value = _wgetenv(variable);
  if (value == nullptr) return test::TempDir::Utf8(variable).append(" is not set");
  return test::TempDir::Utf8(std::filesystem::path(value)) + "\\";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(WindowsFoldersTest, DataInTheRoamingFolderAndOurLibraryInALocalOneOfTheUsers) {
  test::TestPlatform platform;
  EXPECT_EQ(platform.GetSpecialFolder(8), FromEnvironment(L"APPDATA"));
  EXPECT_EQ(platform.GetSpecialFolder(10), FromEnvironment(L"LOCALAPPDATA") + "Kalvor\\lib\\");
  EXPECT_EQ(Lower(platform.GetSpecialFolder(9)),
            Lower(FromEnvironment(L"SystemRoot")) + "system32\\");
  for (const int code : {0, 13, -1, 1000}) EXPECT_EQ(platform.GetSpecialFolder(code), "") << code;
  for (int code = 1; code <= 12; ++code) {
    const std::string folder = platform.GetSpecialFolder(code);
    ASSERT_FALSE(folder.empty()) << code;
    EXPECT_EQ(folder.back(), '\\') << code;
  }
}

TEST(WindowsFoldersTest, PrepareProcessEntersTheProgramFolderAndMakesTheUserFolders) {
  test::TestPlatform platform;
  const std::filesystem::path before = std::filesystem::current_path();
  CorePlatform::PrepareProcess("ignored");
  const std::filesystem::path now = std::filesystem::current_path();
  std::filesystem::current_path(before);
  EXPECT_EQ(Lower(test::TempDir::Utf8(now) + "\\"), Lower(test::TestProgramFolder()));
  for (const int code : {8, 10}) {
    EXPECT_TRUE(
        std::filesystem::is_directory(test::FilePath(platform.GetSpecialFolder(code)).get()))
        << code;
  }
}

}  // namespace
}  // namespace kalvor
