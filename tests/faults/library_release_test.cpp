// At the end of the process the platform lets go of the external libraries, after the exit
// clean-up. On the way out of a fatal error the audio library is still open and a sound may be
// playing: SDL's audio thread and the library's decoder thread go on running until the process
// has ended, so letting go of the library must not take their code away from under them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/audio_front_end.h"
#include "tests/board/board_fixture.h"

namespace kalvor::test {
namespace {

using LibraryReleaseDeathTest = BoardTest;

TEST_F(LibraryReleaseDeathTest, LettingGoOfTheLibrariesWhileASoundPlaysDoesNotCrash) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        StartBoard();
        Click("MainWindow", "音效按钮1");
        if (Audio().currentStream == 0) std::_Exit(3);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        P().RunExitCleanup();  // what a fatal error does just before the process ends
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::fflush(nullptr);
        std::_Exit(42);
      },
      testing::ExitedWithCode(42), "");
}

}  // namespace
}  // namespace kalvor::test
