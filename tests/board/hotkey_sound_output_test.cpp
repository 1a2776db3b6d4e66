// The hotkey path end to end: the board started with hotkeys on, F3 bound in the settings file,
// a real F3 key press on a private X server, and the bound sound reaching the output device
// (SDL's disk driver writes every buffer handed to the device, 32-bit float stereo).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/audio_front_end.h"
#include "board/hotkey_host.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/support/qt_wait_until.h"
#include "tests/support/x_server.h"

namespace kalvor::test {
namespace {

std::string Capture() {
  static const std::string path = CaptureFile("keys");
  return path;
}

// Handles events until the board has opened a sound file.
bool WaitForASound() {
  return ProcessEventsUntil([] { return !Library().openedPaths.empty(); });
}

class HotkeySoundOutputTest : public BoardTest {};

TEST_F(HotkeySoundOutputTest, F3PlaysTheBoundSoundOnTheDevice) {
  KALVOR_NEED_X_SERVER();
  WriteSetting("dat", "F3", "欢呼掌声");
  StartBoard();
  ASSERT_EQ(HotkeyHost().loaded, 1);
  ASSERT_NE(HotkeyHost().ids[2], 0) << "F3 was refused";
  ASSERT_TRUE(XServer::Shared()->Xdotool("key F3"));
  EXPECT_TRUE(WaitForASound()) << "F3 played nothing";
  EXPECT_EQ(Library().openedPaths, std::vector<std::string>{DataDir() + "music/欢呼掌声.mp3"});
  ProcessEventsUntil([] { return LoudestSample(Capture()) > 0.05f; }, std::chrono::seconds(10));
  CloseBoard();  // frees the library, which closes and flushes the device
  EXPECT_GT(LoudestSample(Capture()), 0.05f);
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
  std::filesystem::remove(Capture());
}

// F4 and F5 are pressed first and F3, which is bound, last: the keys arrive in order, so once F3's
// sound is open the two before it have been handled.
TEST_F(HotkeySoundOutputTest, AnUnboundOrWithdrawnKeyPlaysNothing) {
  KALVOR_NEED_X_SERVER();
  WriteSetting("dat", "F4", "空");
  WriteSetting("dat", "F3", "欢呼掌声");
  StartBoard();
  ASSERT_TRUE(XServer::Shared()->Xdotool("key F4 F5 F3"));
  ASSERT_TRUE(WaitForASound()) << "not even the bound F3 played: hotkeys do not work";
  EXPECT_EQ(Library().openedPaths, std::vector<std::string>{DataDir() + "music/欢呼掌声.mp3"});
}

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  return kalvor::test::RunBoardTests(argc, argv, kalvor::test::Capture());
}
