// Extraction where Linux differs: folder permissions, symbolic links, and archives made by the
// Info-ZIP tools.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/platform/core/core_archive_test.h"

namespace kalvor::test {
namespace {

TEST_F(ArchiveTest, ReplacesReadOnlyFilesWhereTheFolderForbidsReplacing) {
  MakeZip(zip, {{"music/", "", 0x12}, {"music/a.mp3", "fresh"}});
  fs::create_directories(out + "/music");
  WriteFile(out + "/music/a.mp3", "old");
  chmod((out + "/music/a.mp3").c_str(), 0444);
  chmod((out + "/music").c_str(), 0555);
  if (access((out + "/music").c_str(), W_OK) == 0) GTEST_SKIP() << "modes are not enforced";
  EXPECT_EQ(Extract(zip, out), 1);
  EXPECT_EQ(ReadFile(out + "/music/a.mp3"), "fresh");
  EXPECT_EQ(access((out + "/music/a.mp3").c_str(), W_OK), 0);
}

TEST_F(ArchiveTest, LinksLeadOnlyWhereTheyStayInsideTheTarget) {
  const std::string outside = dir / "outside";
  fs::create_directories(outside);
  fs::create_directories(out);
  fs::create_directory_symlink(outside, out + "/link");
  ExpectRefused("link/evil.mp3");
  EXPECT_TRUE(fs::is_empty(outside));
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
  ASSERT_EQ(RunIn(src, "zip -qr ../plain.zip bass.so music"), 0);
  ASSERT_EQ(RunIn(src, "zip -qr - bass.so music | cat > ../streamed.zip"), 0);
  ASSERT_EQ(RunIn(src, "cat music/big.mp3 | zip -q - - | cat > ../stdin.zip"), 0);
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
}  // namespace kalvor::test
