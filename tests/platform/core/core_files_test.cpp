// Files and folders: special folders, existence with wildcards, the directory search, removal and
// whole-file writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

using test::ReadFile;
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

// Runs a test body with the current folder changed, and changes it back.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedCurrentFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

class CoreFilesTest : public testing::Test {
 protected:
  test::TestPlatform platform;
  TempDir dir;
  ScopedEnv env;
};

TEST_F(CoreFilesTest, SpecialFoldersFollowTheUsersEnvironment) {
  env.Set("HOME", dir.path().c_str());
  env.Set("XDG_DATA_HOME", nullptr);
  env.Set("XDG_CONFIG_HOME", nullptr);
  env.Set("TMPDIR", nullptr);
  EXPECT_EQ(platform.GetSpecialFolder(8), dir.path() + "/.local/share/kalvor/");
  EXPECT_EQ(platform.GetSpecialFolder(10), dir.path() + "/.local/lib/kalvor/");
  EXPECT_EQ(platform.GetSpecialFolder(11), "/tmp/");
  EXPECT_EQ(platform.GetSpecialFolder(1), dir.path() + "/Documents/");
  EXPECT_EQ(platform.GetSpecialFolder(7), dir.path() + "/.config/autostart/");
  for (const int code : {0, 2, 12, -1, 1000})
    EXPECT_EQ(platform.GetSpecialFolder(code), "") << code;
  for (int code = 1; code <= 11; ++code) {
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

TEST_F(CoreFilesTest, PrepareProcessEntersTheProgramFolderAndMakesTheUserFolders) {
  env.Set("HOME", dir.path().c_str());
  env.Set("XDG_DATA_HOME", nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CorePlatform::PrepareProcess("ignored");
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    const bool ok = std::filesystem::current_path() == exe.parent_path() &&
                    std::filesystem::is_directory(dir / ".local/share/kalvor") &&
                    std::filesystem::is_directory(dir / ".local/lib/kalvor");
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(CoreFilesTest, FileExistsCountsFoldersAndMatchesWildcards) {
  std::filesystem::create_directory(dir / "music");
  WriteFile(dir / "music/欢呼掌声.mp3", "x");
  WriteFile(dir / "a[1].txt", "x");
  EXPECT_TRUE(platform.FileExists(dir / "music"));
  EXPECT_TRUE(platform.FileExists(dir / "music/"));
  EXPECT_TRUE(platform.FileExists(dir / "music/欢呼掌声.mp3"));
  EXPECT_FALSE(platform.FileExists(dir / "music/狗叫.mp3"));
  EXPECT_FALSE(platform.FileExists(""));
  EXPECT_TRUE(platform.FileExists(dir / "music/*.mp3"));
  EXPECT_TRUE(platform.FileExists(dir / "music/欢呼??.mp3"));  // ? is one character
  EXPECT_FALSE(platform.FileExists(dir / "music/欢呼?.mp3"));
  EXPECT_TRUE(platform.FileExists(dir / "mus*"));  // a folder matches too
  EXPECT_TRUE(platform.FileExists(dir / "*.*"));
  EXPECT_TRUE(platform.FileExists(dir / "a[1]*"));  // "[" is an ordinary character
  EXPECT_FALSE(platform.FileExists(dir / "*.wav"));
  EXPECT_FALSE(platform.FileExists(dir / "missing/*"));
}

TEST_F(CoreFilesTest, FindFilesWalksTheFolderOnceInDirectoryOrder) {
  const ScopedCurrentFolder cwd(dir.path());
  std::filesystem::create_directory("plugins");
  std::filesystem::create_directory("plugins/folder.so");  // a folder never comes back
  for (const char* name : {"libbass_aac.so", "libbass_flac.so", "readme.txt", "libbass_ape.so"}) {
    WriteFile(std::string("plugins/") + name, "x");
  }
  std::vector<std::string> expected;
  for (const auto& entry : std::filesystem::directory_iterator("plugins")) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with(".so") && !entry.is_directory()) expected.push_back(name);
  }
  std::vector<std::string> found;
  for (std::string name = platform.FindFiles("plugins/*.so"); !name.empty();
       name = platform.FindFiles("")) {
    found.push_back(name);
  }
  EXPECT_EQ(found, expected);
  EXPECT_EQ(found.size(), 3u);
  EXPECT_EQ(platform.FindFiles(""), "");  // the search has ended
  // A new pattern starts over, also in the middle of a search.
  EXPECT_EQ(platform.FindFiles("plugins/readme.*"), "readme.txt");
  EXPECT_FALSE(platform.FindFiles("plugins/*.so").empty());
  EXPECT_EQ(platform.FindFiles("plugins/*.wav"), "");
  EXPECT_EQ(platform.FindFiles("nowhere/*.so"), "");
  EXPECT_EQ(platform.FindFiles(""), "");
}

TEST_F(CoreFilesTest, RemoveFileRemovesFilesOnly) {
  std::filesystem::create_directory(dir / "folder");
  WriteFile(dir / "data.ini", "x");
  chmod((dir / "data.ini").c_str(), 0444);
  EXPECT_FALSE(platform.RemoveFile(dir / "folder"));
  EXPECT_TRUE(std::filesystem::exists(dir / "folder"));
  EXPECT_TRUE(platform.RemoveFile(dir / "data.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "data.ini"));
  EXPECT_FALSE(platform.RemoveFile(dir / "data.ini"));
  EXPECT_FALSE(platform.RemoveFile(""));
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST_F(CoreFilesTest, WriteBytesToFileLeavesExactlyTheNewBytes) {
  const std::string path = dir / "1.zip";
  WriteFile(path, std::string(100000, 'o'));
  ASSERT_TRUE(platform.WriteBytesToFile(path, {Bytes("new "), Bytes(""), Bytes("bytes")}));
  EXPECT_EQ(ReadFile(path), "new bytes");
  ASSERT_TRUE(platform.WriteBytesToFile(path, {}));
  EXPECT_EQ(ReadFile(path), "");
  ASSERT_TRUE(platform.WriteBytesToFile(dir / "新.bin", {Bytes("x")}));
  EXPECT_EQ(ReadFile(dir / "新.bin"), "x");
}

TEST_F(CoreFilesTest, WriteBytesToFileFailures) {
  {
    const ScopedCurrentFolder cwd(dir.path());
    EXPECT_FALSE(platform.WriteBytesToFile("", {Bytes("x")}));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // nothing created
  }
  EXPECT_FALSE(platform.WriteBytesToFile(dir / "missing/x.bin", {Bytes("x")}));
  EXPECT_FALSE(platform.WriteBytesToFile(dir.path(), {Bytes("x")}));
  // A file held exclusively by another writer is neither truncated nor written.
  const std::string path = dir / "bass.so";
  WriteFile(path, "in use");
  const int holder = open(path.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  EXPECT_FALSE(platform.WriteBytesToFile(path, {Bytes("x")}));
  EXPECT_EQ(ReadFile(path), "in use");
  close(holder);
  EXPECT_TRUE(platform.WriteBytesToFile(path, {Bytes("x")}));
}

}  // namespace
}  // namespace kalvor
