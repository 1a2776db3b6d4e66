// Rendering a sound again, in another process and folder, gives the same bytes as the
// build did: the effects come from fixed seeds, not from the clock or the thread order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/files.h"

namespace {

TEST(SoundgenDeterminismTest, ASecondRunWritesIdenticalFiles) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kalvor_soundgen_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  // A noise-driven effect, a spoken one and a musical one.
  const std::string names = "欢呼掌声,作者声音,玛丽通关";
  const std::string command = "'" + std::string(KALVOR_SOUNDGEN) + "' '" + dir.string() +
                              "' --jobs 2 --only '" + names + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* name : {"欢呼掌声", "作者声音", "玛丽通关"}) {
    const auto again = kalvor::test::ReadBytes(dir / (std::string(name) + ".mp3"));
    EXPECT_FALSE(again.empty()) << name;
    EXPECT_TRUE(again == kalvor::test::ReadBytes(std::filesystem::path(KALVOR_SOUND_DIR) /
                                                 (std::string(name) + ".mp3")))
        << name;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
