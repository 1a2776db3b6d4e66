// ExtractArchive: results, names in GBK and UTF-8, replaced files, damaged archives, unsafe entry
// names, and archives made by Info-ZIP.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <ctime>
#include <filesystem>
#include <random>

#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

namespace fs = std::filesystem;
using test::Gbk;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct Entry {
  std::string name;  // stored bytes
  std::string data;
  unsigned long attributes = 0x80;
  bool utf8 = false;
  int method = Z_DEFLATED;
};

void MakeZip(const std::string& path, const std::vector<Entry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const Entry& e : entries) {
    zip_fileinfo info{};
    info.tmz_date = {56, 34, 12, 17, 4, 2020};  // 2020-05-17 12:34:56
    info.external_fa = e.attributes;
    ASSERT_EQ(
        zipOpenNewFileInZip4_64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                e.method, e.method == 0 ? 0 : 6, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, 0, e.utf8 ? (1u << 11) : 0u, 0),
        ZIP_OK);
    if (!e.data.empty()) {
      ASSERT_EQ(zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size())),
                ZIP_OK);
    }
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(gen() & 0x3F);  // compressible, not trivially
  return out;
}

class ArchiveTest : public testing::Test {
 protected:
  std::int32_t Extract(const std::string& zip, const std::string& target) {
    return platform.ExtractArchive("MainWindow", "ZIP压缩1", zip, target);
  }
  test::TestPlatform platform;
  TempDir dir;
  std::string zip = dir / "1.zip";
  std::string out = dir / "AppData/kalvor";
};

TEST_F(ArchiveTest, MissingArchiveOrEmptyArgumentIsMinusOne) {
  EXPECT_EQ(Extract(dir / "none.zip", out), -1);
  EXPECT_EQ(Extract("", out), -1);
  WriteFile(zip, "x");
  EXPECT_EQ(Extract(zip, ""), -1);
  EXPECT_FALSE(fs::exists(dir / "AppData"));  // nothing created
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
  EXPECT_TRUE(fs::exists(out + "/music/empty.mp3"));
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
  struct stat st {};
  ASSERT_EQ(stat((out + "/bass.dll").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, std::mktime(&when));
  EXPECT_TRUE(st.st_mode & S_IWUSR);

  // A second start rewrites everything with the same contents.
  platform.progress.clear();
  ASSERT_EQ(Extract(zip, out + "/"), 1);  // a trailing "/" on the target is fine
  EXPECT_EQ(ReadFile(out + "/music/欢呼掌声.mp3"), mp3a);
  EXPECT_EQ(platform.progress.back(), 100);
}

TEST_F(ArchiveTest, ReplacesReadOnlyFilesAndKeepsTheUsersOwn) {
  MakeZip(zip, {{"music/", "", 0x12}, {"music/a.mp3", "fresh"}});
  fs::create_directories(out + "/music");
  WriteFile(out + "/music/a.mp3", "changed by the user, and longer");
  chmod((out + "/music/a.mp3").c_str(), 0444);
  WriteFile(out + "/music/mine.mp3", "kept");
  ASSERT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/music/a.mp3"), "fresh");
  EXPECT_EQ(access((out + "/music/a.mp3").c_str(), W_OK), 0);
  EXPECT_EQ(ReadFile(out + "/music/mine.mp3"), "kept");

  // Also where the folder itself forbids replacing files.
  chmod((out + "/music/a.mp3").c_str(), 0444);
  chmod((out + "/music").c_str(), 0555);
  if (access((out + "/music").c_str(), W_OK) == 0) GTEST_SKIP() << "modes are not enforced";
  EXPECT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/music/a.mp3"), "fresh");
  EXPECT_EQ(access((out + "/music/a.mp3").c_str(), W_OK), 0);
}

TEST_F(ArchiveTest, WindowsSeparatorsAndFoldersWithoutTheirOwnEntry) {
  MakeZip(zip, {{"deep\\er\\x.mp3", "x"}, {"a/b/c/y.mp3", "y"}, {"z/", "", 0x00}});
  ASSERT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/deep/er/x.mp3"), "x");
  EXPECT_EQ(ReadFile(out + "/a/b/c/y.mp3"), "y");
  EXPECT_TRUE(fs::is_directory(out + "/z"));  // a name ending in "/" is a folder
}

TEST_F(ArchiveTest, AnEntryThatCannotBeWrittenStopsTheRun) {
  MakeZip(zip, {{"first.mp3", "1"}, {"music", "a file where a folder is"}, {"later.mp3", "3"}});
  fs::create_directories(out + "/music");
  EXPECT_EQ(Extract(zip, out), 0);
  EXPECT_EQ(ReadFile(out + "/first.mp3"), "1");
  EXPECT_FALSE(fs::exists(out + "/later.mp3"));
  EXPECT_EQ(platform.progress, std::vector<int>{33});
}

TEST_F(ArchiveTest, DamagedArchives) {
  const std::string second = RandomBytes(50000, 3);
  MakeZip(zip, {{"first.mp3", "one"}, {"second.mp3", second}, {"third.mp3", "three"}});
  const std::string bytes = ReadFile(zip);

  // Cut short: the directory at the end is gone, so nothing can be read.
  WriteFile(zip, bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(Extract(zip, out), 0);
  EXPECT_FALSE(fs::exists(out + "/first.mp3"));

  // Damaged data in the second entry: the first stays on disk, the third is not reached.
  std::string damaged = bytes;
  const std::size_t middle = damaged.find("second.mp3") + 10 + 20000;
  for (std::size_t i = middle; i < middle + 64; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  WriteFile(zip, damaged);
  EXPECT_EQ(Extract(zip, out), 0);
  EXPECT_EQ(ReadFile(out + "/first.mp3"), "one");
  EXPECT_FALSE(fs::exists(out + "/third.mp3"));
}

// Entries that would land outside the target folder are refused and nothing is written there.
TEST_F(ArchiveTest, EntriesLeadingOutOfTheTargetAreRefused) {
  const std::string outside = dir / "outside";
  fs::create_directories(outside);
  const std::vector<std::string> names = {
      "../evil.mp3", "a/../../evil.mp3", "..\\evil.mp3", dir / "evil.mp3",
      "music/../..", "link/evil.mp3",    "..",           "../",
  };
  fs::create_directories(out);
  fs::create_directory_symlink(outside, out + "/link");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    platform.progress.clear();
    MakeZip(zip, {{"ok.mp3", "ok"}, {name, "evil"}, {"after.mp3", "after"}});
    fs::remove(out + "/ok.mp3");
    EXPECT_EQ(Extract(zip, out), 0);
    EXPECT_EQ(ReadFile(out + "/ok.mp3"), "ok");
    EXPECT_FALSE(fs::exists(out + "/after.mp3"));
    EXPECT_EQ(platform.progress, std::vector<int>{33});
  }
  EXPECT_FALSE(fs::exists(dir / "evil.mp3"));
  EXPECT_FALSE(fs::exists(dir / "AppData/evil.mp3"));
  EXPECT_TRUE(fs::is_empty(outside));
  // A link that stays inside the target folder is fine.
  fs::create_directories(out + "/real");
  fs::create_directory_symlink("real", out + "/inside");
  MakeZip(zip, {{"inside/x.mp3", "x"}});
  EXPECT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/real/x.mp3"), "x");
}

// Archives written by Info-ZIP: plain, with data descriptors (streamed output), and Zip64 with
// descriptors (streamed input and output).
TEST_F(ArchiveTest, ArchivesMadeByInfoZip) {
  if (std::system("zip -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "Info-ZIP zip is not installed";
  const std::string src = dir / "src";
  fs::create_directories(src + "/music/sub");
  const std::string big = RandomBytes(200000, 4);
  WriteFile(src + "/music/big.mp3", big);
  WriteFile(src + "/music/sub/small.mp3", "small");
  WriteFile(src + "/bass.so", "lib");
  ASSERT_EQ(test::RunIn(src, "zip -qr ../plain.zip bass.so music"), 0);
  ASSERT_EQ(test::RunIn(src, "zip -qr - bass.so music | cat > ../streamed.zip"), 0);
  ASSERT_EQ(test::RunIn(src, "cat music/big.mp3 | zip -q - - | cat > ../stdin.zip"), 0);
  for (const char* name : {"plain.zip", "streamed.zip"}) {
    SCOPED_TRACE(name);
    const std::string target = dir / (std::string("x-") + name);
    ASSERT_EQ(Extract(dir / name, target), 1);
    EXPECT_EQ(ReadFile(target + "/music/big.mp3"), big);
    EXPECT_EQ(ReadFile(target + "/music/sub/small.mp3"), "small");
    EXPECT_EQ(ReadFile(target + "/bass.so"), "lib");
  }
  ASSERT_EQ(Extract(dir / "stdin.zip", dir / "x-stdin"), 1);
  EXPECT_EQ(ReadFile(dir / "x-stdin/-"), big);
}

}  // namespace
}  // namespace kalvor
