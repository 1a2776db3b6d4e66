// The output device disappears while a sound plays. SDL notices at its next write and marks the
// device lost; the board must go on working (clicks, hover, stop, no error box, nothing stuck),
// and once the user chooses a device in the list again, the next click is heard.
#include <SDL.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <chrono>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#include "audio/audio_front_end.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/faults/fifo_output.h"
#include "tests/support/pulse_server.h"
#include "tests/support/wait_until.h"

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

std::optional<SDL_AudioDeviceID> WaitUntilPlaying(std::chrono::milliseconds timeout) {
  std::optional<SDL_AudioDeviceID> device;
  WaitUntil([&] { return (device = PlayingDevice()).has_value(); }, timeout);
  return device;
}

bool WaitUntilLost(SDL_AudioDeviceID id, std::chrono::milliseconds timeout) {
  return WaitUntil([id] { return SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_STOPPED; }, timeout);
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

// The same with a real sound server: a PulseAudio null sink whose module is unloaded while the
// sound plays, as when a USB headset is pulled out.
class PulseDeviceLossTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    if (!PulseServer::Installed())
      GTEST_SKIP() << "PulseAudio (pulseaudio, pactl) is not installed";
    pulse_ = std::make_unique<PulseServer>();
    ASSERT_TRUE(pulse_->Start()) << pulse_->Error();
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  }
  void TearDown() override {
    BoardTest::TearDown();
    pulse_.reset();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  // The sink our stream plays into, by name; empty when there is no stream.
  std::string SinkOfOurStream() {
    std::string sinks;
    std::string inputs;
    pulse_->Pactl("list short sinks", &sinks);
    pulse_->Pactl("list short sink-inputs", &inputs);
    std::istringstream in(inputs);
    std::string index;
    std::string sink;
    if (!(in >> index >> sink)) return {};
    std::istringstream list(sinks);
    for (std::string line; std::getline(list, line);) {
      std::istringstream fields(line);
      std::string number;
      std::string name;
      if (fields >> number >> name && number == sink) return name;
    }
    return {};
  }

  std::unique_ptr<PulseServer> pulse_;
};

TEST_F(PulseDeviceLossTest, TheSinkGoesAwayWhileASoundPlays) {
  StartBoard();
  Click("MainWindow", "音效按钮1");
  const std::optional<SDL_AudioDeviceID> device = WaitUntilPlaying(3s);
  ASSERT_TRUE(device.has_value());
  EXPECT_EQ(SinkOfOurStream(), "kalvorfaults");

  ASSERT_TRUE(pulse_->Unload(pulse_->FirstSinkModule()));
  ASSERT_TRUE(WaitUntilLost(*device, 5s)) << "SDL did not report the device lost";

  Click("MainWindow", "音效按钮2");
  EXPECT_NE(Audio().currentStream, 0u);
  Hover("MainWindow", "音效按钮2");
  Click("MainWindow", "按钮1");  // 停止播放
  EXPECT_EQ(Audio().playState, kPlayStopped);
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());

  // Another output appears; the user picks a device from the list again.
  ASSERT_GE(pulse_->LoadNullSink("kalvorreplacement"), 0);
  auto* combo = qobject_cast<QComboBox*>(Widget("MainWindow", "组合框输出通道"));
  ASSERT_GE(combo->count(), 2);
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Up);
  Settle();
  Click("MainWindow", "音效按钮3");
  EXPECT_NE(Audio().currentStream, 0u);
  EXPECT_TRUE(WaitUntilPlaying(3s).has_value());
  EXPECT_EQ(SinkOfOurStream(), "kalvorreplacement");
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
}

}  // namespace
}  // namespace kalvor::test
