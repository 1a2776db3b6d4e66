// Extraction where Windows differs: file attributes.
#include <windows.h>

#include "tests/platform/core/core_archive_test.h"

namespace kalvor::test {
namespace {

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(FilePath(path).get().c_str());
}

TEST_F(ArchiveTest, AReadOnlyOrHiddenSoundFileEndsWithNormalAttributes) {
  MakeZip(zip, {{"music/", "", 0x12}, {"music/a.mp3", "fresh"}, {"music/b.mp3", "fresh"}});
  fs::create_directories(dir.Path("AppData/kalvor/music"));
  WriteFile(out + "/music/a.mp3", "old");
  WriteFile(out + "/music/b.mp3", "old");
  SetFileAttributesW(FilePath(out + "/music/a.mp3").get().c_str(),
                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(FilePath(out + "/music/b.mp3").get().c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_EQ(Extract(zip, out), 1);
  for (const char* name : {"/music/a.mp3", "/music/b.mp3"}) {
    EXPECT_EQ(ReadFile(out + name), "fresh") << name;
    EXPECT_EQ(Attributes(out + name) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u)
        << name;
  }
}

}  // namespace
}  // namespace kalvor::test
