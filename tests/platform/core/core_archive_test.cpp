// ExtractArchive: results, names in GBK and UTF-8, replaced files, damaged archives and unsafe
// entry names. Links, folder permissions and archives made by Info-ZIP:
// core_archive_test_posix.cpp.
#include "tests/platform/core/core_archive_test.h"

#include <chrono>
#include <ctime>

namespace kalvor::test {
namespace {

TEST_F(ArchiveTest, MissingArchiveOrEmptyArgumentIsMinusOne) {
  EXPECT_EQ(Extract(dir / "none.zip", out), -1);
  EXPECT_EQ(Extract("", out), -1);
  WriteFile(zip, "x");
  EXPECT_EQ(Extract(zip, ""), -1);
  EXPECT_FALSE(fs::exists(dir.Path("AppData")));  // nothing created
  EXPECT_TRUE(platform.progress.empty());
}

TEST_F(ArchiveTest, AFileThatIsNoArchiveIsZero) {
  WriteFile(zip, std::string(5000, 'x'));
  EXPECT_EQ(Extract(zip, out), 0);
  WriteFile(zip, "");
  EXPECT_EQ(Extract(zip, out), 0);
  EXPECT_EQ(Extract(dir.path(), out), 0);  // a folder at the archive path
}

TEST_F(ArchiveTest, UnpacksTheSoundArchiveLayout) {
  const std::string mp3a = RandomBytes(100000, 1);  // several 16 KB pieces
  const std::string mp3b = RandomBytes(3000, 2);
  MakeZip(zip, {
                   {"bass.dll", "library", 0x02},
                   {"music/", "", 0x12},
                   {Gbk("music/欢呼掌声.mp3"), mp3a},
                   {Gbk("music/狗叫.mp3"), mp3b, 0x80, false, 0},  // stored
                   {"music/麦吻男.mp3", "utf8", 0x80, true},       // flagged UTF-8
                   {"music/empty.mp3", ""},
               });
  ASSERT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/bass.dll"), "library");
  EXPECT_EQ(ReadFile(out + "/music/欢呼掌声.mp3"), mp3a);
  EXPECT_EQ(ReadFile(out + "/music/狗叫.mp3"), mp3b);
  EXPECT_EQ(ReadFile(out + "/music/麦吻男.mp3"), "utf8");
  EXPECT_TRUE(fs::exists(FilePath(out + "/music/empty.mp3").get()));
  EXPECT_EQ(platform.progress, (std::vector<int>{16, 33, 50, 66, 83, 100}));

  // The entry's date and time (local time) become the file's time; the hidden attribute of
  // bass.dll does not survive: every file ends writable.
  std::tm when{};
  when.tm_year = 120;
  when.tm_mon = 4;
  when.tm_mday = 17;
  when.tm_hour = 12;
  when.tm_min = 34;
  when.tm_sec = 56;
  when.tm_isdst = -1;
  const fs::path library = FilePath(out + "/bass.dll");
  const auto written = std::chrono::file_clock::to_sys(fs::last_write_time(library));
  EXPECT_EQ(std::chrono::system_clock::to_time_t(
                std::chrono::time_point_cast<std::chrono::system_clock::duration>(written)),
            std::mktime(&when));
  EXPECT_TRUE(Writable(library));

  // A second start rewrites everything with the same contents.
  platform.progress.clear();
  ASSERT_EQ(Extract(zip, out + "/"), 1);  // a trailing "/" on the target is fine
  EXPECT_EQ(ReadFile(out + "/music/欢呼掌声.mp3"), mp3a);
  EXPECT_EQ(platform.progress.back(), 100);
}

TEST_F(ArchiveTest, ReplacesReadOnlyFilesAndKeepsTheUsersOwn) {
  MakeZip(zip, {{"music/", "", 0x12}, {"music/a.mp3", "fresh"}});
  fs::create_directories(dir.Path("AppData/kalvor/music"));
  WriteFile(out + "/music/a.mp3", "changed by the user, and longer");
  MakeReadOnly(out + "/music/a.mp3");
  WriteFile(out + "/music/mine.mp3", "kept");
  ASSERT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/music/a.mp3"), "fresh");
  EXPECT_TRUE(Writable(FilePath(out + "/music/a.mp3")));
  EXPECT_EQ(ReadFile(out + "/music/mine.mp3"), "kept");
}

TEST_F(ArchiveTest, WindowsSeparatorsAndFoldersWithoutTheirOwnEntry) {
  MakeZip(zip, {{"deep\\er\\x.mp3", "x"}, {"a/b/c/y.mp3", "y"}, {"z/", "", 0x00}});
  ASSERT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/deep/er/x.mp3"), "x");
  EXPECT_EQ(ReadFile(out + "/a/b/c/y.mp3"), "y");
  EXPECT_TRUE(fs::is_directory(FilePath(out + "/z").get()));  // a name ending in "/" is a folder
}

TEST_F(ArchiveTest, AnEntryThatCannotBeWrittenStopsTheRun) {
  MakeZip(zip, {{"first.mp3", "1"}, {"music", "a file where a folder is"}, {"later.mp3", "3"}});
  fs::create_directories(dir.Path("AppData/kalvor/music"));
  EXPECT_EQ(Extract(zip, out), 0);
  EXPECT_EQ(ReadFile(out + "/first.mp3"), "1");
  EXPECT_FALSE(fs::exists(dir.Path("AppData/kalvor/later.mp3")));
  EXPECT_EQ(platform.progress, std::vector<int>{33});
}

TEST_F(ArchiveTest, DamagedArchives) {
  const std::string second = RandomBytes(50000, 3);
  MakeZip(zip, {{"first.mp3", "one"}, {"second.mp3", second}, {"third.mp3", "three"}});
  const std::string bytes = ReadFile(zip);

  // Cut short: the directory at the end is gone, so nothing can be read.
  WriteFile(zip, bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(Extract(zip, out), 0);
  EXPECT_FALSE(fs::exists(dir.Path("AppData/kalvor/first.mp3")));

  // Damaged data in the second entry: the first stays on disk, the third is not reached.
  std::string damaged = bytes;
  const std::size_t middle = damaged.find("second.mp3") + 10 + 20000;
  for (std::size_t i = middle; i < middle + 64; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  WriteFile(zip, damaged);
  EXPECT_EQ(Extract(zip, out), 0);
  EXPECT_EQ(ReadFile(out + "/first.mp3"), "one");
  EXPECT_FALSE(fs::exists(dir.Path("AppData/kalvor/third.mp3")));
}

// Entries that would land outside the target folder are refused and nothing is written there.
TEST_F(ArchiveTest, EntriesLeadingOutOfTheTargetAreRefused) {
  const std::vector<std::string> names = {
      "../evil.mp3", "a/../../evil.mp3", "..\\evil.mp3", dir / "evil.mp3", "music/../..", "..",
      "../",         "C:evil.mp3",
  };
  fs::create_directories(dir.Path("AppData/kalvor"));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ExpectRefused(name);
  }
  EXPECT_FALSE(fs::exists(dir.Path("evil.mp3")));
  EXPECT_FALSE(fs::exists(dir.Path("AppData/evil.mp3")));
}

}  // namespace
}  // namespace kalvor::test
