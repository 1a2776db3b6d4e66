// External libraries bound by name, the exit clean-up and fatal runtime errors.
#include <dlfcn.h>
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

constexpr const char* kTestLib = "libcore_test_extlib.so";

std::string ProgramFolder() {
  return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

class ExternalTest : public testing::Test {
 protected:
  void SetUp() override {
    oldHome_ = std::getenv("HOME");
    setenv("HOME", home.path().c_str(), 1);
    SetPlatform(&platform);
  }
  void TearDown() override {
    SetPlatform(nullptr);
    if (oldHome_) setenv("HOME", oldHome_->c_str(), 1);
  }
  // Puts a copy of a built test library into the per-user library folder.
  std::string CopyToUserFolder(const std::string& builtName, const std::string& asName) {
    const std::string folder = platform.GetSpecialFolder(10);
    fs::create_directories(folder);
    fs::copy_file(ProgramFolder() + builtName, folder + asName,
                  fs::copy_options::overwrite_existing);
    return folder + asName;
  }
  TestPlatform platform;
  TempDir home;

 private:
  std::optional<std::string> oldHome_;
};

TEST_F(ExternalTest, BindsSystemAndOwnLibrariesOnce) {
  auto* cosine = reinterpret_cast<double (*)(double)>(platform.BindExternal("libm.so.6", "cos"));
  EXPECT_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(CallExternal<int()>(kTestLib, "KalvorTestAnswer"), 42);  // the program's folder
  EXPECT_EQ(platform.BindExternal(kTestLib, "KalvorTestAnswer"),
            platform.BindExternal(kTestLib, "KalvorTestAnswer"));
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ExternalTest, SearchOrderProgramFolderThenUserFolderThenSystem) {
  // The same name in the per-user folder does not hide the program folder's copy.
  CopyToUserFolder("libcore_test_extlib_other.so", kTestLib);
  EXPECT_EQ(CallExternal<int()>(kTestLib, "KalvorTestAnswer"), 42);
  // A library only in the per-user folder is found there.
  const std::string path = CopyToUserFolder("libcore_test_extlib_other.so", "libuseronly.so");
  EXPECT_EQ(CallExternal<int()>("libuseronly.so", "KalvorTestAnswer"), 2);
  // A name holding "/" is loaded as given.
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
  const std::string path = ProgramFolder() + kTestLib;
  void* probe = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  ASSERT_NE(probe, nullptr);
  dlclose(probe);
  platform.RunExitCleanup();
  platform.RunExitCleanup();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD), nullptr);  // unloaded
}

using ExternalDeathTest = ExternalTest;

TEST_F(ExternalDeathTest, MissingLibraryOrFunctionIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      platform.BindExternal("libkalvor_absent.so", "BASS_Init"), testing::ExitedWithCode(255),
      "\\[box 错误\\|16\\] 运行时出错!\n\n错误信息：无法找到指定DLL库文件“libkalvor_absent.so”中的"
      "输出命令“BASS_Init”\n");
  EXPECT_EXIT(CallExternal<int()>(kTestLib, "NoSuchFunction"), testing::ExitedWithCode(255),
              "无法找到指定DLL库文件“libcore_test_extlib.so”中的输出命令“NoSuchFunction”");
}

TEST_F(ExternalDeathTest, FatalErrorShowsTheBoxThenCleansUpThenExits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform.SetExitCleanup([] { std::fputs("<cleanup>", stderr); });
        platform.FatalError("载入启动窗口失败");
      },
      testing::ExitedWithCode(255),
      "^\\[box 错误\\|16\\] 运行时出错!\n\n错误信息：载入启动窗口失败\n<cleanup>$");
  // A fatal error raised by the clean-up itself still ends the process.
  EXPECT_EXIT(
      {
        platform.SetExitCleanup([this] { platform.FatalError("second"); });
        platform.FatalError("first");
      },
      testing::ExitedWithCode(255), "first\n.*second\n");
}

}  // namespace
}  // namespace kalvor
