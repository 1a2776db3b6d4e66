// One Qt platform per process, with the board's forms and the hotkey handlers bound, a data folder
// of its own, message boxes answered by the seam, and a private X server for the function keys.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <memory>

#include "board/board_forms.h"
#include "board/hotkey_dialog.h"
#include "board/hotkey_host.h"
#include "board/settings_file.h"
#include "platform/core/platform_seam.h"
#include "platform/qt/qt_platform.h"
#include "tests/board/desktop_test_support.h"
#include "tests/support/files.h"
#include "tests/support/x_server.h"

namespace kalvor::test {

QWidget* Widget(std::string_view window, std::string_view control) {
  auto& platform = static_cast<QtPlatform&>(Platform());
  return platform.WidgetForHandle(platform.GetWindowHandle(window, control));
}

std::string RawSettings() {
  return ReadFile(SettingsFile::Path());
}

}  // namespace kalvor::test

int main(int argc, char** argv) {
  using namespace kalvor;
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

  // A home and data folder of our own, so the settings file is this process's alone.
  std::string home = (std::filesystem::temp_directory_path() / "kalvor-hotkeys-XXXXXX").string();
  if (::mkdtemp(home.data()) == nullptr) return 2;
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  std::filesystem::create_directories(home + "/data/kalvor");

  // The hotkey backend connects to $DISPLAY at the first registration: the X server is started
  // before any test runs. The tests that press keys skip or fail when there is none.
  test::XServer::Shared();

  int code = 0;
  {
    QtPlatform platform(argc, argv);
    BoardForms::RegisterAll(platform);
    BindHotkeyHostHandlers();
    BindHotkeyDialogHandlers();
    PlatformSeam::Instance().Arm();
    code = RUN_ALL_TESTS();
  }
  std::filesystem::remove_all(home);
  return code;
}
