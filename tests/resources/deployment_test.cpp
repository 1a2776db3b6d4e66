// What a start of the Windows edition puts on disk before and inside its main window, through the
// null platform: our audio library in the per-user library folder, where binding by name finds
// it, and the sound archive unpacked into the data folder. (On Linux tests/app checks the same
// through the board's start-up.)
#include "resources/deployment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/null_platform.h"
#include "resources/embedded_blocks.h"
#include "resources/sound_archive_list.h"
#include "tests/support/files.h"

namespace kalvor::test {
namespace {

namespace fs = std::filesystem;

std::string Text(std::span<const std::uint8_t> block) {
  return {reinterpret_cast<const char*>(block.data()), block.size()};
}

class DeploymentTest : public testing::Test {
 protected:
  void SetUp() override {
    SetPlatform(&platform);
    data = fs::temp_directory_path() / ("kalvor-deploy-" + std::to_string(std::random_device()()));
    fs::create_directories(data);
  }
  void TearDown() override {
    platform.RunExitCleanup();
    SetPlatform(nullptr);
    std::error_code ignored;
    fs::remove_all(data, ignored);
  }
  std::string DataDir() const {
    const std::u8string utf8 = data.u8string();
    return std::string(utf8.begin(), utf8.end()) + "\\";
  }
  NullPlatform platform;
  fs::path data;
};

TEST_F(DeploymentTest, LibraryGoesToTheUsersLibraryFolderAndBindsFromThere) {
  EXPECT_EQ(Deployment::LibraryFile(), "bass.dll");
  ASSERT_TRUE(Deployment::DeployLibrary());
  const std::string deployed = platform.GetSpecialFolder(10) + "bass.dll";
  EXPECT_TRUE(ReadFile(deployed) == Text(EmbeddedBlocks::Library()));
  // A second start writes it again.
  ASSERT_TRUE(Deployment::DeployLibrary());
  EXPECT_NE(platform.BindExternal(deployed, "BASS_StreamCreateFile"), nullptr);
}

TEST_F(DeploymentTest, ArchiveIsWrittenAndUnpackedIntoTheDataFolder) {
  ASSERT_TRUE(Deployment::WriteArchive(DataDir()));
  EXPECT_TRUE(ReadFile(data / "1.zip") == Text(EmbeddedBlocks::Archive()));
  ASSERT_EQ(Deployment::ExtractArchive(DataDir(), "MainWindow", "ZIP压缩1"), 1);
  EXPECT_TRUE(ReadFile(data / "bass.dll") == Text(EmbeddedBlocks::Library()));
  for (std::string_view name : kArchiveSoundNames) {
    const fs::path sound = FilePath("music/" + std::string(name) + ".mp3").get();
    EXPECT_GT(fs::file_size(data / sound), 1000u) << name;
  }
}

}  // namespace
}  // namespace kalvor::test
