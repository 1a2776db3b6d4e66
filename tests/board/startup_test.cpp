// Start-up and shutdown of the board, and the device and volume controls, from the settings the
// host left behind.
#include <QComboBox>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "audio/audio_front_end.h"
#include "board/hotkey_host.h"
#include "board/sound_catalogue.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/support/files.h"

namespace kalvor::test {
namespace {

class StartupTest : public BoardTest {
 protected:
  int DeviceIndex() { return P().GetInt("MainWindow", "组合框输出通道", Prop::ListIndex); }
  int DeviceCount() {
    return qobject_cast<QComboBox*>(Widget("MainWindow", "组合框输出通道"))->count();
  }
  int Slider() { return P().GetInt("MainWindow", "滑块条1", Prop::Position); }
  std::string VolumeLabel() { return P().GetText("MainWindow", "音量大小标示", Prop::Caption); }
  bool HotkeysTicked() { return P().GetInt("MainWindow", "选择框1", Prop::Checked) == 1; }
  bool SettingsExist() { return std::filesystem::exists(DataDir() + "data.ini"); }
};

TEST_F(StartupTest, FirstStartWithoutSettingsUsesTheDefaultsAndWritesNothing) {
  StartBoard();
  EXPECT_GE(DeviceCount(), 1);
  EXPECT_EQ(DeviceIndex(), 0);
  EXPECT_EQ(Slider(), 100);
  EXPECT_EQ(VolumeLabel(), "100");
  EXPECT_TRUE(HotkeysTicked());
  EXPECT_EQ(HotkeyHost().loaded, 1);
  EXPECT_EQ(Library().initDevices, std::vector<int>{1});
  for (int n = SoundCatalogue::kFirstSlot; n <= SoundCatalogue::kLastSlot; ++n) {
    EXPECT_EQ(P().GetText("MainWindow", SoundCatalogue::UnitName(n), Prop::Caption), "") << n;
  }
  // Values the program writes into the controls raise no handler: nothing is written back.
  EXPECT_FALSE(SettingsExist());
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
  // The sounds are in place.
  EXPECT_TRUE(std::filesystem::exists(DataDir() + "music/欢呼掌声.mp3"));
}

TEST_F(StartupTest, StoredVolumeIsUsedAsReadZeroMeansDefault) {
  struct Case {
    const char* stored;
    int slider;
    const char* label;
  };
  for (const Case& c : {Case{"0", 100, "100"}, Case{"250", 100, "250"}, Case{"37", 37, "37"},
                        Case{"abc", 100, "100"}, Case{"１２", 12, "12"}}) {
    SCOPED_TRACE(c.stored);
    WriteSetting("data", "vi", c.stored);
    StartBoard();
    EXPECT_EQ(Slider(), c.slider);
    EXPECT_EQ(VolumeLabel(), c.label);
    CloseBoard();
  }
}

TEST_F(StartupTest, ADeviceBeyondTheListSelectsTheLastAndFailsSilently) {
  StartBoard();
  const int devices = DeviceCount();
  CloseBoard();
  Library().Clear();
  WriteSetting("data", "id", std::to_string(devices + 3));
  StartBoard();
  EXPECT_EQ(DeviceIndex(), devices - 1);
  EXPECT_EQ(Library().initDevices, std::vector<int>{devices + 3});
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
  // Sounds report the failure when played, until a device is chosen.
  Click("MainWindow", "音效按钮1");
  ASSERT_EQ(PlatformSeam::Instance().Messages().size(), 1u);
  EXPECT_EQ(PlatformSeam::Instance().Messages()[0].text, "打开文件失败");
}

// Real ALSA back ends, whatever sound card the machine has: a configuration of its own with no
// output at all, and one whose only output is the default (a null device).
TEST_F(StartupTest, WithoutOutputsTheListIsEmptyAndWithOnlyADefaultItIsTheDefault) {
  struct Case {
    const char* alsaConfig;
    std::vector<std::string> devices;
    std::vector<std::string> messagesAfterAClick;
  };
  const Case cases[] = {
      {"", {}, {"打开文件失败"}},
      {"pcm.!default { type null }\n", {"系统默认输出设备"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alsaConfig);
    // A file of its own per case: ALSA reads its configuration again only when that changes.
    const std::string config = (home_ / ("asound" + std::to_string(&c - cases) + ".conf")).string();
    WriteFile(config, c.alsaConfig);
    ::setenv("SDL_AUDIODRIVER", "alsa", 1);
    ::setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
    StartBoard();
    auto* list = qobject_cast<QComboBox*>(Widget("MainWindow", "组合框输出通道"));
    std::vector<std::string> shown;
    for (int i = 0; i < list->count(); ++i) shown.push_back(list->itemText(i).toStdString());
    EXPECT_EQ(shown, c.devices);
    EXPECT_EQ(DeviceIndex(), c.devices.empty() ? -1 : 0);
    EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
    Click("MainWindow", "音效按钮3");
    EXPECT_EQ(MessageTexts(), c.messagesAfterAClick);
    CloseBoard();
    PlatformSeam::Instance().Reset();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("ALSA_CONFIG_PATH");
  }
}

TEST_F(StartupTest, HotkeySwitchIsOnUnlessStoredAsTwo) {
  for (const char* stored : {"1", "0", "abc", "2"}) {
    SCOPED_TRACE(stored);
    WriteSetting("data", "kjj", stored);
    StartBoard();
    const bool on = std::string(stored) != "2";
    EXPECT_EQ(HotkeysTicked(), on);
    EXPECT_EQ(P().IsWindowLoaded("HotkeyHostWindow"), on);
    CloseBoard();
    EXPECT_FALSE(P().IsWindowLoaded("HotkeyHostWindow"));
  }
}

TEST_F(StartupTest, ChoosingADeviceStoresItThenReopensTheLibrary) {
  StartBoard();
  auto* combo = qobject_cast<QComboBox*>(Widget("MainWindow", "组合框输出通道"));
  if (combo->count() < 2) combo->addItem("second output");  // a list of one cannot change
  Library().Clear();
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(ReadSetting("data", "id"), "1");
  EXPECT_EQ(Library().frees, 2);
  EXPECT_EQ(Library().initDevices, (std::vector<int>{2, 1}));
  EXPECT_EQ(Audio().outputDevice, 1);
  Click("MainWindow", "音效按钮3");
  EXPECT_NE(Audio().currentStream, 0u);
}

TEST_F(StartupTest, MovingTheSliderStoresAppliesAndShowsTheVolume) {
  StartBoard();
  Click("MainWindow", "音效按钮3");
  Library().volumes.clear();
  auto* slider = qobject_cast<QSlider*>(Widget("MainWindow", "滑块条1"));
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Home);
  EXPECT_EQ(ReadSetting("data", "vi"), "0");
  EXPECT_EQ(VolumeLabel(), "0");
  ASSERT_FALSE(Library().volumes.empty());
  EXPECT_EQ(Library().volumes.back(), std::make_pair(Audio().currentStream, 0.0f));
  // 1 % is as silent as 0 %; 2 % is not.
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_EQ(Library().volumes.back().second, 0.0f);
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_FLOAT_EQ(Library().volumes.back().second, 0.02f);
  EXPECT_EQ(VolumeLabel(), "2");
  EXPECT_EQ(Audio().volumePercent, 2);
}

TEST_F(StartupTest, ClosingTheMainWindowFreesTheLibraryUnloadsTheKeysAndEndsTheLoop) {
  StartBoard();
  ASSERT_TRUE(P().IsWindowLoaded("HotkeyHostWindow"));
  QTimer::singleShot(0, [this] { Widget("MainWindow", "MainWindow")->close(); });
  const int frees = Library().frees;
  EXPECT_EQ(P().RunEventLoop(), 0);  // returns once no window is loaded any more
  EXPECT_EQ(Library().frees, frees + 1);
  EXPECT_FALSE(P().IsWindowLoaded("HotkeyHostWindow"));
  EXPECT_EQ(HotkeyHost().loaded, 0);
}

}  // namespace
}  // namespace kalvor::test
