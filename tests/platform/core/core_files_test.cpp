// Files and folders: existence with wildcards, the directory search, removal and whole-file
// writes. The special folders and the start of the process are the system's
// (core_files_test_posix.cpp, core_files_test_win32.cpp).
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Runs a test body with the current folder changed, and changes it back.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(test::FilePath(folder).get());
  }
  ~ScopedCurrentFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

class CoreFilesTest : public testing::Test {
 protected:
  test::TestPlatform platform;
  TempDir dir;
};

TEST_F(CoreFilesTest, FileExistsCountsFoldersAndMatchesWildcards) {
  std::filesystem::create_directory(dir.Path("music"));
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
  std::filesystem::create_directory(dir.Path("folder"));
  WriteFile(dir / "data.ini", "x");
  test::MakeReadOnly(dir / "data.ini");  // goes all the same
  EXPECT_FALSE(platform.RemoveFile(dir / "folder"));
  EXPECT_TRUE(std::filesystem::exists(dir.Path("folder")));
  EXPECT_TRUE(platform.RemoveFile(dir / "data.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("data.ini")));
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
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));  // nothing created
  }
  EXPECT_FALSE(platform.WriteBytesToFile(dir / "missing/x.bin", {Bytes("x")}));
  EXPECT_FALSE(platform.WriteBytesToFile(dir.path(), {Bytes("x")}));
  // A file held exclusively by another writer is neither truncated nor written.
  const std::string path = dir / "bass.so";
  WriteFile(path, "in use");
  auto holder = test::ExclusiveHold::On(path);
  ASSERT_NE(holder, nullptr);
  EXPECT_FALSE(platform.WriteBytesToFile(path, {Bytes("x")}));
  EXPECT_EQ(ReadFile(path), "in use");
  holder.reset();
  EXPECT_TRUE(platform.WriteBytesToFile(path, {Bytes("x")}));
}

}  // namespace
}  // namespace kalvor
