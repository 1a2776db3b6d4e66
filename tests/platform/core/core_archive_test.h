// The fixture of the archive tests: an archive file and a target folder in a scratch folder,
// extracted through the null platform with the progress recorded.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/platform/core/core_test_support.h"
#include "tests/support/zip_maker.h"

namespace kalvor::test {

namespace fs = std::filesystem;

inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(gen() & 0x3F);  // compressible, not trivially
  return out;
}

inline bool Writable(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

class ArchiveTest : public testing::Test {
 protected:
  std::int32_t Extract(const std::string& zip, const std::string& target) {
    return platform.ExtractArchive("MainWindow", "ZIP压缩1", zip, target);
  }
  // An archive whose middle entry is named `name` stops at that entry: the first is written, the
  // last is not reached.
  void ExpectRefused(const std::string& name) {
    platform.progress.clear();
    MakeZip(zip, {{"ok.mp3", "ok"}, {name, "evil"}, {"after.mp3", "after"}});
    fs::remove(dir.Path("AppData/kalvor/ok.mp3"));
    EXPECT_EQ(Extract(zip, out), 0);
    EXPECT_EQ(ReadFile(out + "/ok.mp3"), "ok");
    EXPECT_FALSE(fs::exists(dir.Path("AppData/kalvor/after.mp3")));
    EXPECT_EQ(platform.progress, std::vector<int>{33});
  }
  TestPlatform platform;
  TempDir dir;
  std::string zip = dir / "1.zip";
  std::string out = dir / "AppData/kalvor";
};

}  // namespace kalvor::test
