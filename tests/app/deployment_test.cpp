// What every start puts on disk: our audio library where the library search finds it, the sound
// archive, and its contents in the data folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "board/sound_catalogue.h"
#include "resources/embedded_blocks.h"
#include "resources/sound_archive_list.h"
#include "tests/board/board_fixture.h"
#include "tests/support/files.h"

namespace kalvor::test {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
  return ReadFile(path);
}

std::string Bytes(std::span<const std::uint8_t> block) {
  return {reinterpret_cast<const char*>(block.data()), block.size()};
}

class DeploymentTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    WriteSetting("data", "kjj", "2");
  }
  void Restart() {
    CloseBoard();
    StartBoard();
  }
  fs::path Music(std::string_view name) {
    return fs::path(DataDir()) / "music" / (std::string(name) + ".mp3");
  }
};

TEST_F(DeploymentTest, FirstStartPutsEveryFileInPlace) {
  StartBoard();
  const fs::path data = DataDir();
  EXPECT_TRUE(Bytes(data / "1.zip") == Bytes(EmbeddedBlocks::Archive()));
  EXPECT_TRUE(Bytes(home_ / ".local/lib/kalvor/libbass.so") == Bytes(EmbeddedBlocks::Library()));
  // The archive carries its own copy of the library under its old name.
  EXPECT_TRUE(Bytes(data / "bass.dll") == Bytes(EmbeddedBlocks::Library()));
  int files = 0;
  for (const auto& entry : fs::directory_iterator(data / "music")) {
    EXPECT_EQ(entry.path().extension(), ".mp3");
    ++files;
  }
  EXPECT_EQ(files, 98);
  for (std::string_view name : kArchiveSoundNames) {
    EXPECT_GT(fs::file_size(Music(name)), 1000u) << name;
    // Unpacked files end writable by their owner.
    EXPECT_NE(fs::status(Music(name)).permissions() & fs::perms::owner_write, fs::perms::none);
  }
}

TEST_F(DeploymentTest, EveryStartRestoresTheSoundsAndLeavesTheUsersOwn) {
  StartBoard();
  std::map<std::string, std::string> first;
  for (const auto& entry : fs::recursive_directory_iterator(DataDir())) {
    if (entry.is_regular_file()) first[entry.path().string()] = Bytes(entry.path());
  }
  // The host damages a sound, hides one from writing, deletes one and adds one of their own.
  std::ofstream(Music("打雷"), std::ios::trunc) << "not a sound";
  fs::permissions(Music("狗叫"), fs::perms::owner_read | fs::perms::group_read);
  fs::remove(Music("大雨"));
  std::ofstream(Music("我的开场"), std::ios::binary) << "mine";

  Restart();
  for (const auto& [path, bytes] : first) {
    EXPECT_TRUE(Bytes(path) == bytes) << path;
  }
  EXPECT_NE(fs::status(Music("狗叫")).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(Bytes(Music("我的开场")), "mine");
}

TEST_F(DeploymentTest, ARunningCopysLibraryIsReplacedNotRewritten) {
  StartBoard();
  const fs::path library = home_ / ".local/lib/kalvor/libbass.so";
  // A running copy of an older version holds its library open (and mapped): it keeps its bytes.
  const std::string before = "an older build of the library";
  std::ofstream(library, std::ios::binary | std::ios::trunc) << before;
  std::ifstream held(library, std::ios::binary);
  Restart();
  std::string still((std::istreambuf_iterator<char>(held)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(still == before);
  EXPECT_TRUE(Bytes(library) == Bytes(EmbeddedBlocks::Library()));
}

TEST_F(DeploymentTest, EveryBuiltInButtonFindsItsFileAfterDeployment) {
  StartBoard();
  for (int n = SoundCatalogue::kFirstBuiltIn; n <= SoundCatalogue::kLastBuiltIn; ++n) {
    const std::string caption(SoundCatalogue::Caption(n));
    // Button 23's caption differs from its file only in the case of a Latin letter.
    const std::string file = caption == "Mc教学鼓" ? "MC教学鼓" : caption;
    EXPECT_TRUE(fs::exists(Music(file))) << n << " " << caption;
  }
}

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
