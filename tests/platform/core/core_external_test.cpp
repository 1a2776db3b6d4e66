// External libraries bound by name, the exit clean-up and fatal runtime errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::TestPlatform;

// The test libraries as built: libcore_test_extlib.so, core_test_extlib.dll.
const std::string kTestLib = SharedLibraryFile("core_test_extlib");
const std::string kOtherLib = SharedLibraryFile("core_test_extlib_other");

class ExternalTest : public testing::Test {
 protected:
  void SetUp() override { SetPlatform(&platform); }
  void TearDown() override {
    SetPlatform(nullptr);
    platform.RunExitCleanup();  // lets go of the libraries, so their copies can go
    std::error_code ignored;
    for (const std::string& copy : copies_) fs::remove(test::FilePath(copy).get(), ignored);
  }
  // Puts a copy of a built test library into the per-user library folder.
  std::string CopyToUserFolder(const std::string& builtName, const std::string& asName) {
    const std::string folder = platform.GetSpecialFolder(10);
    fs::create_directories(test::FilePath(folder).get());
    fs::copy_file(test::FilePath(test::TestProgramFolder() + builtName).get(),
                  test::FilePath(folder + asName).get(), fs::copy_options::overwrite_existing);
    copies_.push_back(folder + asName);
    return folder + asName;
  }
  TempDir home;
  test::ScopedHome scopedHome{home.path()};
  TestPlatform platform;

 private:
  std::vector<std::string> copies_;
};

TEST_F(ExternalTest, BindsSystemAndOwnLibrariesOnce) {
  auto* cosine =
      reinterpret_cast<double (*)(double)>(platform.BindExternal(test::kSystemMathLibrary, "cos"));
  EXPECT_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(CallExternal<int()>(kTestLib, "KalvorTestAnswer"), 42);  // the program's folder
  EXPECT_EQ(platform.BindExternal(kTestLib, "KalvorTestAnswer"),
            platform.BindExternal(kTestLib, "KalvorTestAnswer"));
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ExternalTest, SearchOrderProgramFolderThenUserFolderThenSystem) {
  // The same name in the per-user folder does not hide the program folder's copy.
  CopyToUserFolder(kOtherLib, kTestLib);
  EXPECT_EQ(CallExternal<int()>(kTestLib, "KalvorTestAnswer"), 42);
  // A library only in the per-user folder is found there.
  const std::string userOnly = SharedLibraryFile("kalvor_useronly");
  const std::string path = CopyToUserFolder(kOtherLib, userOnly);
  EXPECT_EQ(CallExternal<int()>(userOnly, "KalvorTestAnswer"), 2);
  // A name that is a path is loaded as given.
  EXPECT_EQ(CallExternal<int()>(path, "KalvorTestAnswer"), 2);
}

TEST_F(ExternalTest, ExitCleanupRunsOnceThenLibrariesAreReleased) {
  int runs = 0;
  platform.SetExitCleanup([&] {
    ++runs;
    // The clean-up may still call into a bound library.
    EXPECT_EQ(CallExternal<int()>(kTestLib, "KalvorTestAnswer"), 42);
  });
  ASSERT_EQ(CallExternal<int()>(kTestLib, "KalvorTestAnswer"), 42);
  const std::string path = test::TestProgramFolder() + kTestLib;
  ASSERT_TRUE(test::LibraryLoaded(path));
  platform.RunExitCleanup();
  platform.RunExitCleanup();
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(test::LibraryLoaded(path));  // unloaded
}

using ExternalDeathTest = ExternalTest;

TEST_F(ExternalDeathTest, MissingLibraryOrFunctionIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string absent = SharedLibraryFile("kalvor_absent");
  EXPECT_EXIT(platform.BindExternal(absent, "BASS_Init"),
              testing::ExitedWithCode(test::kFatalExitStatus),
              "\\[box 错误\\|16\\] 运行时出错!\n\n错误信息：无法找到指定DLL库文件“" + absent +
                  "”中的输出命令“BASS_Init”\n");
  EXPECT_EXIT(CallExternal<int()>(kTestLib, "NoSuchFunction"),
              testing::ExitedWithCode(test::kFatalExitStatus),
              "无法找到指定DLL库文件“" + kTestLib + "”中的输出命令“NoSuchFunction”");
}

TEST_F(ExternalDeathTest, FatalErrorShowsTheBoxThenCleansUpThenExits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform.SetExitCleanup([] { std::fputs("<cleanup>", stderr); });
        platform.FatalError("载入启动窗口失败");
      },
      testing::ExitedWithCode(test::kFatalExitStatus),
      "^\\[box 错误\\|16\\] 运行时出错!\n\n错误信息：载入启动窗口失败\n<cleanup>$");
  // A fatal error raised by the clean-up itself still ends the process.
  EXPECT_EXIT(
      {
        platform.SetExitCleanup([this] { platform.FatalError("second"); });
        platform.FatalError("first");
      },
      testing::ExitedWithCode(test::kFatalExitStatus),
      "first\n\\[box 错误\\|16\\] 运行时出错!\n\n错误信息：second\n");
}

}  // namespace
}  // namespace kalvor
