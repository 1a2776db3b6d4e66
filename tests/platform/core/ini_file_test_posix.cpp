// INI files on Linux: a file left alone is the same file, and a link stays a link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/ini_file.h"
#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class IniFileOnLinuxTest : public testing::Test {
 protected:
  TempDir dir;
  std::string path = dir / "data.ini";
};

TEST_F(IniFileOnLinuxTest, AnUnchangedValueLeavesTheFileAlone) {
  WriteFile(path, "[a]\r\nx=1\r\n");
  struct stat before {
  }, after{};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  ASSERT_TRUE(IniFile::Write(path, "A", "x", "1"));
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(IniFileOnLinuxTest, ALinkedFileIsReplacedBehindTheLink) {
  const std::string real = dir / "real.ini";
  WriteFile(real, "[a]\r\nx=1\r\n");
  ASSERT_EQ(symlink(real.c_str(), path.c_str()), 0);
  ASSERT_TRUE(IniFile::Write(path, "a", "x", "2"));
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(real), "[a]\r\nx=2\r\n");
}

}  // namespace
}  // namespace kalvor
