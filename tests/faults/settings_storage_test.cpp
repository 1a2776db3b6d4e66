// The settings file on storage that refuses writes: a full disk (no room at all, or room for only
// part of the new file) and a read-only folder, under the whole board. Every write the user's
// actions cause fails silently: data.ini keeps exactly its old bytes, no temporary file is left,
// the board goes on working with the values the user chose, and once the storage takes writes
// again the next change is stored.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QComboBox>
#include <QSlider>
#include <QTest>
#include <filesystem>
#include <memory>

#include "audio/audio_front_end.h"
#include "platform/core/ini_file.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/faults/scratch_mount.h"
#include "tests/support/files.h"

namespace kalvor::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Leftovers(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("data.ini") && name != "data.ini") names.push_back(name);
  }
  return names;
}

class SettingsStorageTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    if (!ScratchMount::Unavailable().empty()) {
      GTEST_SKIP() << "no scratch file systems: " << ScratchMount::Unavailable();
    }
    folder_ = DataDir();
    folder_.pop_back();
    mount_ = std::make_unique<ScratchMount>(folder_, 1024 * 1024);
    ASSERT_TRUE(mount_->ok()) << mount_->error();
    // The settings a user left: hotkeys off (no key grabs), volume 57, and enough labels and
    // slot paths that the file takes two pages of the disk.
    WriteSetting("data", "vi", "57");
    WriteSetting("data", "id", "1");
    WriteSetting("data", "kjj", "2");
    for (int n = 1; n <= 96; ++n) {
      WriteSetting("ed", std::to_string(n), "F" + std::to_string(n % 10 + 1));
    }
    for (int n = 97; n <= 112; ++n) {
      WriteSetting("zdy", std::to_string(n), "/home/用户/音效/" + std::string(240, 'x') + ".mp3");
    }
    ASSERT_GT(fs::file_size(DataFile()), 4096u);
    before_ = ReadFile(DataFile());
  }

  void TearDown() override {
    if (mount_ != nullptr) {
      // The board is closed before the folder goes away under it.
      if (P().IsWindowLoaded("MainWindow")) CloseBoard();
      Settle();
      mount_.reset();
    }
    BoardTest::TearDown();
  }

  fs::path DataFile() const { return fs::path(folder_) / "data.ini"; }

  // What a user does that writes settings: the volume to 0, the second device and back.
  void ChangeSettings() {
    auto* slider = qobject_cast<QSlider*>(Widget("MainWindow", "滑块条1"));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    auto* combo = qobject_cast<QComboBox*>(Widget("MainWindow", "组合框输出通道"));
    if (combo->count() < 2) combo->addItem("second output");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    Settle();
  }

  void ExpectNothingWrittenAndTheBoardWorking() {
    EXPECT_EQ(ReadFile(DataFile()), before_) << "data.ini changed";
    EXPECT_EQ(Leftovers(folder_), std::vector<std::string>{});
    // The board carries on with what the user chose.
    EXPECT_EQ(Audio().volumePercent, 0);
    EXPECT_EQ(P().GetText("MainWindow", "音量大小标示", Prop::Caption), "0");
    EXPECT_EQ(Audio().outputDevice, 2);
    Hover("MainWindow", "音效按钮5");
    EXPECT_EQ(P().GetText("MainWindow", "标签2", Prop::Caption), "F6");
  }

  std::string folder_;
  std::unique_ptr<ScratchMount> mount_;
  std::string before_;
};

class FullDiskTest : public SettingsStorageTest, public testing::WithParamInterface<std::size_t> {};

TEST_P(FullDiskTest, WritesFailSilentlyAndTheFileStaysWhole) {
  // The start fills the disk already: the sound archive does not fit.
  StartBoard();
  EXPECT_EQ(Audio().volumePercent, 57);  // reading still works
  ASSERT_TRUE(mount_->Fill("filler", GetParam()));
  ASSERT_LT(mount_->Free(), before_.size()) << "the new file must not fit";
  ChangeSettings();
  ExpectNothingWrittenAndTheBoardWorking();

  // The sounds could not be unpacked either: a click says so once and the board goes on.
  PlatformSeam::Instance().Reset();
  Click("MainWindow", "音效按钮3");
  ASSERT_EQ(PlatformSeam::Instance().Messages().size(), 1u);
  EXPECT_EQ(PlatformSeam::Instance().Messages()[0].text, "打开文件失败");

  // Room again: the next change is stored, and every other entry is still there.
  fs::remove(fs::path(folder_) / "filler");
  fs::remove(fs::path(folder_) / "1.zip");
  QTest::keyClick(Widget("MainWindow", "滑块条1"), Qt::Key_Right);
  EXPECT_EQ(ReadSetting("data", "vi"), "1");
  EXPECT_EQ(ReadSetting("ed", "96"), "F7");
  EXPECT_EQ(ReadSetting("zdy", "112"), "/home/用户/音效/" + std::string(240, 'x') + ".mp3");
}

// No room at all, and room for the first page of the new file only.
INSTANTIATE_TEST_SUITE_P(FreeBytes, FullDiskTest, testing::Values(0u, 4096u));

TEST_F(SettingsStorageTest, ReadOnlyFolderWritesFailSilently) {
  ASSERT_TRUE(mount_->SetReadOnly(true));
  StartBoard();
  EXPECT_EQ(Audio().volumePercent, 57);
  ChangeSettings();
  ExpectNothingWrittenAndTheBoardWorking();

  ASSERT_TRUE(mount_->SetReadOnly(false));
  QTest::keyClick(Widget("MainWindow", "滑块条1"), Qt::Key_Right);
  EXPECT_EQ(ReadSetting("data", "vi"), "1");
}

// Root writes through file modes, so the file's own read-only mode is checked as an ordinary
// user, in a process of its own.
TEST(SettingsFileModeTest, ReadOnlyFileIsLeftAloneForAnOrdinaryUser) {
  const fs::path dir =
      fs::temp_directory_path() / ("kalvor-faults-mode-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "data.ini";
  std::ofstream(file) << "[data]\r\nvi=57\r\n";
  uid_t uid = getuid();
  gid_t gid = getgid();
  if (geteuid() == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) GTEST_SKIP() << "running as root and there is no user nobody";
    uid = nobody->pw_uid;
    gid = nobody->pw_gid;
    ASSERT_EQ(chown(dir.c_str(), uid, gid), 0);
    ASSERT_EQ(chown(file.c_str(), uid, gid), 0);
  }
  fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec);
  auto write = [&](const char* value) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (geteuid() == 0 && (setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
      execl(KALVOR_FAULT_WRITER, KALVOR_FAULT_WRITER, "once", file.c_str(), "data", "vi", value,
            static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(write("0"), 1) << "a write to a read-only file must report failure";
  EXPECT_EQ(ReadFile(file), "[data]\r\nvi=57\r\n");
  EXPECT_EQ(Leftovers(dir), std::vector<std::string>{});
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(write("0"), 0) << "the same user can write once the file is writable";
  EXPECT_EQ(IniFile::Read(file.string(), "data", "vi", ""), "0");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kalvor::test
