// One click, end to end: the button's sound reaches the output device. SDL's disk driver writes
// every buffer the audio library hands to the device (32-bit float stereo) to a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "audio/audio_front_end.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/support/qt_wait_until.h"

namespace kalvor::test {
namespace {

std::string Capture() {
  static const std::string path = CaptureFile("output");
  return path;
}

class BoardAudioOutputTest : public BoardTest {};

TEST_F(BoardAudioOutputTest, AClickedButtonsSamplesReachTheDevice) {
  WriteSetting("data", "kjj", "2");
  StartBoard();
  Click("MainWindow", "音效按钮3");  // 欢呼掌声
  ASSERT_NE(Audio().currentStream, 0u);
  ProcessEventsUntil([] { return LoudestSample(Capture()) > 0.05f; }, std::chrono::seconds(10));
  CloseBoard();  // frees the library, which closes and flushes the device
  EXPECT_GT(LoudestSample(Capture()), 0.05f);
  EXPECT_TRUE(PlatformSeam::Instance().Messages().empty());
  std::filesystem::remove(Capture());
}

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  return kalvor::test::RunBoardTests(argc, argv, kalvor::test::Capture());
}
