// The special folders and the start of the process on Linux.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "platform/core/special_folders.h"
#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

using test::TempDir;
using test::WriteFile;

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
 public:
  void Set(const char* name, const char* value) {
    if (!saved_.contains(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

// The Linux counterparts of the Windows folders follow the XDG environment of the user.
class LinuxFoldersTest : public testing::Test {
 protected:
  test::TestPlatform platform;
  TempDir dir;
  ScopedEnv env;
};

TEST_F(LinuxFoldersTest, SpecialFoldersFollowTheUsersEnvironment) {
  env.Set("HOME", dir.path().c_str());
  env.Set("XDG_DATA_HOME", nullptr);
  env.Set("XDG_CONFIG_HOME", nullptr);
  env.Set("TMPDIR", nullptr);
  EXPECT_EQ(platform.GetSpecialFolder(8), dir.path() + "/.local/share/kalvor/");
  EXPECT_EQ(platform.GetSpecialFolder(10), dir.path() + "/.local/lib/kalvor/");
  EXPECT_EQ(platform.GetSpecialFolder(11), "/tmp/");
  EXPECT_EQ(platform.GetSpecialFolder(1), dir.path() + "/Documents/");
  EXPECT_EQ(platform.GetSpecialFolder(7), dir.path() + "/.config/autostart/");
  for (const int code : {0, 2, 13, -1, 1000})
    EXPECT_EQ(platform.GetSpecialFolder(code), "") << code;
  for (int code = 1; code <= 12; ++code) {
    const std::string folder = platform.GetSpecialFolder(code);
    if (!folder.empty()) {
      EXPECT_EQ(folder.back(), '/') << code;
    }
  }
  // Nothing is created by asking.
  EXPECT_FALSE(std::filesystem::exists(dir / ".local"));

  env.Set("XDG_DATA_HOME", (dir / "data/").c_str());
  env.Set("TMPDIR", (dir / "tmp").c_str());
  env.Set("XDG_CONFIG_HOME", (dir / "config").c_str());
  std::filesystem::create_directories(dir / "config");
  WriteFile(dir / "config/user-dirs.dirs",
            "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/文档\"\n");
  EXPECT_EQ(platform.GetSpecialFolder(8), dir.path() + "/data/kalvor/");
  EXPECT_EQ(platform.GetSpecialFolder(11), dir.path() + "/tmp/");
  EXPECT_EQ(platform.GetSpecialFolder(1), dir.path() + "/文档/");
  // A relative XDG folder is not valid and is ignored.
  env.Set("XDG_DATA_HOME", "relative/share");
  EXPECT_EQ(platform.GetSpecialFolder(8), dir.path() + "/.local/share/kalvor/");
}

// The data shipped with the program (its help pages): <prefix>/share/kalvor/ beside a program
// installed as <prefix>/lib/kalvor/kalvor, the program's own folder in a build tree.
TEST_F(LinuxFoldersTest, ShippedDataLiesBesideTheInstalledProgramOrInTheBuildTree) {
  EXPECT_EQ(platform.GetSpecialFolder(12), SpecialFolders::ProgramFolder());  // the build tree
  std::filesystem::create_directories(dir / "usr/lib/kalvor");
  EXPECT_EQ(SpecialFolders::ShippedDataFolder(dir / "usr/lib/kalvor/"),
            dir.path() + "/usr/lib/kalvor/");
  std::filesystem::create_directories(dir / "usr/share/kalvor");
  EXPECT_EQ(SpecialFolders::ShippedDataFolder(dir / "usr/lib/kalvor/"),
            dir.path() + "/usr/share/kalvor/");
  EXPECT_EQ(SpecialFolders::ShippedDataFolder(dir / "usr/lib/kalvor"),
            dir.path() + "/usr/share/kalvor/");
}

TEST_F(LinuxFoldersTest, PrepareProcessEntersTheProgramFolderMakesTheUserFoldersAndTidiesThem) {
  env.Set("HOME", dir.path().c_str());
  env.Set("XDG_DATA_HOME", nullptr);
  // A settings file's temporary left by a process that has ended.
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
  std::filesystem::create_directories(dir / ".local/share/kalvor");
  const std::string leftover =
      dir / (".local/share/kalvor/data.ini.tmp" + std::to_string(ended) + "-0");
  WriteFile(leftover, "x");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CorePlatform::PrepareProcess("ignored");
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    const bool ok = std::filesystem::current_path() == exe.parent_path() &&
                    std::filesystem::is_directory(dir / ".local/share/kalvor") &&
                    std::filesystem::is_directory(dir / ".local/lib/kalvor") &&
                    !std::filesystem::exists(leftover);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace kalvor
