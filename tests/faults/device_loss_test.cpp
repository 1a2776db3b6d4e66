// The output device disappears while a sound plays. SDL notices at its next write and marks the
// device lost; the board must go on working (clicks, hover, stop, no error box, nothing stuck),
// and once the user chooses a device in the list again, the next click is heard.
#include <SDL.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <chrono>
#include <optional>
#include <thread>

#include "app/platform_seam.h"
#include "audio/audio_front_end.h"
#include "fifo_output.h"
#include "tests/board/board_fixture.h"

namespace kalvor::test {
namespace {

using namespace std::chrono_literals;

// The device the library opened in SDL (ids count from 2; 1 is SDL's old single-device API).
std::optional<SDL_AudioDeviceID> PlayingDevice() {
  for (SDL_AudioDeviceID id = 2; id < 64; ++id) {
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return id;
  }
  return std::nullopt;
}

bool WaitUntilLost(SDL_AudioDeviceID id, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_STOPPED) return true;
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

class DeviceLossTest : public BoardTest {
 protected:
  void SetUp() override {
    output_.emplace();  // before the library starts SDL's audio
    output_->Plug();
    BoardTest::SetUp();
  }
  void TearDown() override {
    output_->Plug();  // a device that closes must find a reader
    BoardTest::TearDown();
    output_.reset();
  }
  std::optional<FifoOutput> output_;
};

TEST_F(DeviceLossTest, TheBoardKeepsWorkingAndPlaysAgainOnceADeviceIsChosen) {
  StartBoard();
  Click("MainWindow", "音效按钮1");
  ASSERT_TRUE(output_->WaitForSound(3s)) << "nothing was heard before the device went";
  const std::optional<SDL_AudioDeviceID> device = PlayingDevice();
  ASSERT_TRUE(device.has_value());

  output_->Unplug();  // while the sound plays
  ASSERT_TRUE(WaitUntilLost(*device, 3s)) << "SDL did not report the device lost";

  // The board goes on: a new sound starts (into the lost device), the status label follows the
  // mouse, stop works, and no error box appears.
  Click("MainWindow", "音效按钮2");
  EXPECT_NE(Audio().currentStream, 0u);
  WriteSetting("ed", "2", "F4");
  Hover("MainWindow", "音效按钮2");
  EXPECT_EQ(P().GetText("MainWindow", "标签2", Prop::Caption), "F4");
  Click("MainWindow", "按钮1");  // 停止播放
  EXPECT_EQ(Audio().playState, kPlayStopped);
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());

  // The user picks a device from the list again (the second, then back to the first).
  output_->Plug();
  auto* combo = qobject_cast<QComboBox*>(Widget("MainWindow", "组合框输出通道"));
  ASSERT_GE(combo->count(), 2);
  Library().Clear();
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Up);
  Settle();
  EXPECT_EQ(Library().initDevices, (std::vector<int>{2, 1}));

  Click("MainWindow", "音效按钮3");
  EXPECT_NE(Audio().currentStream, 0u);
  EXPECT_TRUE(output_->WaitForSound(3s)) << "the next play after choosing a device is not heard";
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
}

TEST_F(DeviceLossTest, ADeviceLostWhileIdleIsNoticedAtTheNextPlay) {
  StartBoard();
  output_->Unplug();  // nothing plays: the device is parked and writes nothing
  Click("MainWindow", "音效按钮4");
  EXPECT_NE(Audio().currentStream, 0u);
  std::this_thread::sleep_for(300ms);
  Click("MainWindow", "音效按钮5");
  EXPECT_NE(Audio().currentStream, 0u);
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());

  output_->Plug();
  auto* combo = qobject_cast<QComboBox*>(Widget("MainWindow", "组合框输出通道"));
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  Click("MainWindow", "音效按钮6");
  EXPECT_TRUE(output_->WaitForSound(3s));
}

}  // namespace
}  // namespace kalvor::test
