// INI files: the profile-function reading rules, GBK files shared by both editions, and writes
// that keep every other byte and never leave a torn file. Links and file identity on Linux:
// ini_file_test_posix.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/core/ini_file.h"
#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

using test::Gbk;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class IniFileTest : public testing::Test {
 protected:
  std::string Read(std::string_view section, std::string_view key, std::string_view def = {}) {
    return IniFile::Read(path, section, key, def);
  }
  TempDir dir;
  std::string path = dir / "data.ini";
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(Read("data", "id"), "");
  EXPECT_EQ(Read("data", "id", "7"), "7");
  WriteFile(path, "[data]\r\nid=2\r\n");
  EXPECT_EQ(Read("other", "id", "d"), "d");
  EXPECT_EQ(Read("data", "vi", "d"), "d");
  EXPECT_EQ(Read("data", "id", "d"), "2");
  EXPECT_EQ(IniFile::Read(dir.path(), "data", "id", "d"), "d");  // a folder is no file
}

TEST_F(IniFileTest, BlankPathSectionOrKeyGivesEmptyEvenWithADefault) {
  WriteFile(path, "[data]\r\nid=2\r\n=empty key\r\n");
  EXPECT_EQ(Read("data", "", "d"), "");
  EXPECT_EQ(Read("data", " \t", "d"), "");
  EXPECT_EQ(Read("", "id", "d"), "");
  EXPECT_EQ(Read("\x01\x1f ", "id", "d"), "");
  EXPECT_EQ(IniFile::Read("  ", "data", "id", "d"), "");
  // Leading control bytes and blanks are skipped, in the path too.
  EXPECT_EQ(IniFile::Read(" \t" + path, "\x01 data", "  id", "d"), "2");
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCase) {
  WriteFile(path, "[Data]\r\nKJJ=2\r\n[dat]\r\nF3=x\r\n");
  EXPECT_EQ(Read("DATA", "kjj"), "2");
  EXPECT_EQ(Read("data", "Kjj"), "2");
  EXPECT_EQ(Read("DAT", "f3"), "x");
  EXPECT_EQ(Read("da", "kjj", "none"), "none");  // whole names only
}

TEST_F(IniFileTest, TrailBytesOfDoubleByteCharactersAreNotCaseFolded) {
  // GBK 81 41 and 81 61: two characters that differ only in a trail byte that looks like "A"/"a".
  const std::string upper = "\x81\x41";
  const std::string lower = "\x81\x61";
  const std::string upperUtf8 = test::Utf8FromGbk(upper);
  const std::string lowerUtf8 = test::Utf8FromGbk(lower);
  ASSERT_NE(upperUtf8, lowerUtf8);
  WriteFile(path, "[t]\r\n" + upper + "=first\r\nkey" + upper + "=second\r\n");
  EXPECT_EQ(Read("t", upperUtf8, "missing"), "first");
  EXPECT_EQ(Read("t", lowerUtf8, "missing"), "missing");
  EXPECT_EQ(Read("T", "KEY" + upperUtf8, "missing"), "second");
  EXPECT_EQ(Read("t", "key" + lowerUtf8, "missing"), "missing");
}

TEST_F(IniFileTest, BlanksAndOnePairOfQuotesAreRemoved) {
  WriteFile(path,
            "[v]\r\n"
            "  spaced =   value with  blanks \t \r\n"
            "dq=\"quoted \"\r\n"
            "sq='single'\r\n"
            "nested=\"\"twice\"\"\r\n"
            "open=\"unbalanced\r\n"
            "mixed=\"a'\r\n"
            "one=\"\r\n"
            "empty=\r\n"
            "noequals\r\n"
            "eq=a=b\r\n");
  EXPECT_EQ(Read("v", "spaced"), "value with  blanks");
  EXPECT_EQ(Read("v", "dq"), "quoted ");
  EXPECT_EQ(Read("v", "sq"), "single");
  EXPECT_EQ(Read("v", "nested"), "\"twice\"");
  EXPECT_EQ(Read("v", "open"), "\"unbalanced");
  EXPECT_EQ(Read("v", "mixed"), "\"a'");
  EXPECT_EQ(Read("v", "one"), "\"");
  EXPECT_EQ(Read("v", "empty", "d"), "");
  EXPECT_EQ(Read("v", "noequals", "d"), "d");  // a key line without "=" has no value
  EXPECT_EQ(Read("v", "eq"), "a=b");
}

TEST_F(IniFileTest, LongValuesAreCutTo10239Bytes) {
  WriteFile(path, "[v]\r\nlong=" + std::string(20000, 'x') +
                      "\r\nexact=" + std::string(10239, 'y') + "\r\n");
  EXPECT_EQ(Read("v", "long"), std::string(10239, 'x'));
  EXPECT_EQ(Read("v", "exact"), std::string(10239, 'y'));
  // 6000 double-byte characters: the cut at 10239 bytes would split the 5120th, which is dropped.
  std::string kong;
  std::string kongGbk;
  for (int i = 0; i < 6000; ++i) kongGbk += Gbk("空");
  for (int i = 0; i < 5119; ++i) kong += "空";
  WriteFile(path, "[v]\r\nwide=" + kongGbk + "\r\n");
  EXPECT_EQ(Read("v", "wide"), kong);
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWin) {
  WriteFile(path,
            "k=before any section\r\n[a]\r\nk=1\r\nk=2\r\n[b]\r\nk=3\r\n[a]\r\nk=4\r\nx=5\r\n");
  EXPECT_EQ(Read("a", "k"), "1");
  EXPECT_EQ(Read("b", "k"), "3");
  EXPECT_EQ(Read("a", "x", "d"), "d");
  // A "[" line without "]" is no section header.
  WriteFile(path, "[a]\r\n[broken=v\r\n");
  EXPECT_EQ(Read("a", "[broken"), "v");
}

TEST_F(IniFileTest, InvalidGbkBytesDoNotBreakTheRead) {
  WriteFile(path, "[v]\r\nbad=a\xff\x80z\x81\r\ncut=\x81\r\n");
  const std::string bad = Read("v", "bad");
  EXPECT_EQ(bad.front(), 'a');
  EXPECT_NE(bad.find('z'), std::string::npos);
  EXPECT_FALSE(Read("v", "cut").empty());
}

// A data.ini as the Windows edition leaves it: GBK, CRLF, Chinese section, keys and values.
class WindowsIniTest : public IniFileTest {
 protected:
  void SetUp() override {
    original =
        Gbk("; Kalvor\r\n"
            "[data]\r\n"
            "id=2\r\n"
            "vi=57\r\n"
            "kjj=1\r\n"
            "\r\n"
            "[ed]\r\n"
            "18=F3\r\n"
            "[dat]\r\n"
            "F3=欢呼掌声\r\n"
            "F4=空\r\n"
            "\r\n"
            "[标题]\r\n"
            "97=我的声音\r\n"
            "\r\n"
            "[zdy]\r\n"
            "97=C:\\声音\\一.mp3\r\n");
    WriteFile(path, original);
  }
  std::string original;
};

TEST_F(WindowsIniTest, ReadsChineseSectionsKeysAndValues) {
  EXPECT_EQ(Read("data", "vi"), "57");
  EXPECT_EQ(Read("dat", "F3"), "欢呼掌声");
  EXPECT_EQ(Read("dat", "f4"), "空");
  EXPECT_EQ(Read("标题", "97"), "我的声音");
  EXPECT_EQ(Read("zdy", "97"), "C:\\声音\\一.mp3");
  EXPECT_EQ(Read("标题", "98"), "");
}

TEST_F(WindowsIniTest, ReplacingAValueKeepsEveryOtherByte) {
  ASSERT_TRUE(IniFile::Write(path, "DAT", "f3", "警车声音"));
  std::string expected = original;
  const std::string from = Gbk("F3=欢呼掌声");
  expected.replace(expected.find(from), from.size(), Gbk("F3=警车声音"));
  EXPECT_EQ(ReadFile(path), expected);  // the key keeps its spelling from the file
  EXPECT_EQ(Read("dat", "F3"), "警车声音");
}

TEST_F(WindowsIniTest, NewKeyGoesToTheEndOfItsSection) {
  ASSERT_TRUE(IniFile::Write(path, "标题", "98", "空"));
  std::string expected = original;
  const std::string after = Gbk("97=我的声音\r\n");
  expected.insert(expected.find(after) + after.size(), Gbk("98=空\r\n"));
  EXPECT_EQ(ReadFile(path), expected);
  // The last section of the file, without a blank line after it.
  ASSERT_TRUE(IniFile::Write(path, "zdy", "98", "/home/u/a.mp3"));
  expected += "98=/home/u/a.mp3\r\n";
  EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(WindowsIniTest, NewSectionGoesToTheEnd) {
  ASSERT_TRUE(IniFile::Write(path, "新的", "1", "x"));
  EXPECT_EQ(ReadFile(path), original + Gbk("[新的]\r\n1=x\r\n"));
}

TEST_F(IniFileTest, TheFirstWriteCreatesTheFileWithWindowsLineEnds) {
  ASSERT_TRUE(IniFile::Write(path, "data", "vi", "100"));
  EXPECT_EQ(ReadFile(path), "[data]\r\nvi=100\r\n");
  ASSERT_TRUE(IniFile::Write(path, "data", "id", "1"));
  ASSERT_TRUE(IniFile::Write(path, "标题", "97", "我的"));
  EXPECT_EQ(ReadFile(path), "[data]\r\nvi=100\r\nid=1\r\n" + Gbk("[标题]\r\n97=我的\r\n"));
  const auto permissions = std::filesystem::status(test::FilePath(path).get()).permissions();
  EXPECT_NE(permissions & std::filesystem::perms::owner_write, std::filesystem::perms::none);
}

TEST_F(IniFileTest, LineFeedFilesStayLineFeedFiles) {
  WriteFile(path, "[a]\nx=1\n\n[b]\ny=2");  // no line end after the last line
  ASSERT_TRUE(IniFile::Write(path, "a", "z", "3"));
  ASSERT_TRUE(IniFile::Write(path, "b", "w", "4"));
  ASSERT_TRUE(IniFile::Write(path, "c", "v", "5"));
  EXPECT_EQ(ReadFile(path), "[a]\nx=1\nz=3\n\n[b]\ny=2\nw=4\n[c]\nv=5\n");
}

TEST_F(IniFileTest, ReplacingKeepsTheLineLayout) {
  WriteFile(path, "[a]\r\n  x = old value   \r\ny\r\n");
  ASSERT_TRUE(IniFile::Write(path, "a", "X", "new"));
  ASSERT_TRUE(IniFile::Write(path, "a", "y", "v"));  // a key line without "=" gets one
  EXPECT_EQ(ReadFile(path), "[a]\r\n  x = new\r\ny=v\r\n");
}

TEST_F(IniFileTest, ValueAndNameRules) {
  ASSERT_TRUE(IniFile::Write(path, " data ", " id ", "  5 "));
  ASSERT_TRUE(IniFile::Write(path, "data", "", "blank key"));
  ASSERT_TRUE(IniFile::Write(path, "data", "multi", "line1\nline2\r\n[evil]"));
  EXPECT_EQ(ReadFile(path), "[data]\r\nid=5 \r\n=blank key\r\nmulti=line1 line2  [evil]\r\n");
  EXPECT_EQ(Read("data", "id"), "5");
  EXPECT_EQ(Read("evil", "x", "none"), "none");
  ASSERT_TRUE(IniFile::Write(path, " ", "k", "v"));  // an empty section is the header "[]"
  EXPECT_TRUE(ReadFile(path).ends_with("multi=line1 line2  [evil]\r\n[]\r\nk=v\r\n"));
  EXPECT_FALSE(IniFile::Write("", "data", "id", "1"));
  EXPECT_FALSE(IniFile::Write(" \t", "data", "id", "1"));
}

TEST_F(IniFileTest, ReadOnlyFileOrMissingFolderIsNotWritten) {
  WriteFile(path, "[a]\r\nx=1\r\n");
  test::MakeReadOnly(path);
  if (!test::ReadOnlyIsEnforced(path)) GTEST_SKIP() << "running with rights that ignore modes";
  EXPECT_FALSE(IniFile::Write(path, "a", "x", "2"));
  EXPECT_EQ(ReadFile(path), "[a]\r\nx=1\r\n");
  EXPECT_FALSE(IniFile::Write(dir / "no/such/data.ini", "a", "x", "2"));
}

// A process that dies in the middle of a write leaves the old file whole.
using IniFileDeathTest = IniFileTest;

TEST_F(IniFileDeathTest, ACrashDuringAWriteLeavesTheOldFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string original = "[data]\r\nid=2\r\nvi=57\r\n";
  for (int i = 1; i <= 112; ++i) original += std::to_string(i) + "=F" + std::to_string(i) + "\r\n";
  WriteFile(path, original);
  // Dies between writing the new file and replacing the old one.
  EXPECT_EXIT(
      {
        IniFile::SetReplaceHookForTesting([](const char*) { std::_Exit(42); });
        IniFile::Write(path, "data", "vi", "100");
      },
      testing::ExitedWithCode(42), "");
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(Read("data", "vi"), "57");
  // The next write works despite the leftover temporary file.
  ASSERT_TRUE(IniFile::Write(path, "data", "vi", "100"));
  EXPECT_EQ(Read("data", "vi"), "100");
}

}  // namespace
}  // namespace kalvor
