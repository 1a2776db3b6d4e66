// Starts the board in a scratch home folder on a private X server with a window manager (Xvfb and
// openbox) and saves a picture of each window as the desktop shows it, title bar included: the
// main window for each of its seven pages (main-window-page1.png ...), the hotkey dialog, the
// slot dialog and the advertising window, into the folder given as the first argument. Without
// Xvfb or openbox it draws the windows offscreen instead, without their frames. Used to look at
// the board and for the README's picture.
#include <QApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/audio_front_end.h"
#include "board/board_setup.h"
#include "board/hotkey_targets.h"
#include "platform/core/platform_seam.h"
#include "platform/qt/qt_platform.h"
#include "tests/support/qt_wait_until.h"
#include "tests/support/x_server.h"

namespace {

// The window as the screen shows it once the window manager has framed and placed it.
QPixmap Picture(QWidget* window, bool onScreen) {
  if (!onScreen) {
    QApplication::processEvents();
    return window->grab();
  }
  (void)QTest::qWaitForWindowExposed(window);
  QRect last;
  int steady = 0;
  kalvor::test::ProcessEventsUntil([&] {
    const QRect now = window->frameGeometry();
    steady = now == last ? steady + 1 : 0;
    last = now;
    return steady >= 10;
  });
  QTest::qWait(300);  // the banners' first frames
  const QRect frame = window->frameGeometry();
  return window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::filesystem::path out = std::filesystem::absolute(argv[1]);
  std::filesystem::create_directories(out);
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("kalvor-screenshots-" + std::to_string(::getpid()));
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
  const bool onScreen = kalvor::test::XServer::SharedDesktop() != nullptr;
  ::setenv("QT_QPA_PLATFORM", onScreen ? "xcb" : "offscreen", 1);

  {
    kalvor::QtPlatform platform(argc, argv);
    kalvor::PlatformSeam::Instance().Arm();
    kalvor::BoardSetup::Prepare(platform);
    kalvor::CreatePlayer();
    platform.LoadWindow("MainWindow");
    auto widget = [&](const char* window) {
      return platform.WidgetForHandle(platform.GetWindowHandle(window, window));
    };
    auto save = [&](const char* window, const std::string& name) {
      Picture(widget(window), onScreen).save(QString::fromStdString((out / name).string()));
    };
    auto* tabs = qobject_cast<QTabWidget*>(
        platform.WidgetForHandle(platform.GetWindowHandle("MainWindow", "选择夹1")));
    platform.SetText("MainWindow", "标签2", kalvor::Prop::Caption, "F3");
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      save("MainWindow", "main-window-page" + std::to_string(page + 1) + ".png");
    }
    tabs->setCurrentIndex(0);
    kalvor::Targets().soundName = "欢呼掌声";
    kalvor::Targets().buttonNumber = 3;
    platform.LoadWindow("HotkeyDialog");
    save("HotkeyDialog", "hotkey-dialog.png");
    platform.UnloadWindow("HotkeyDialog");
    kalvor::Targets().buttonNumber = 97;
    platform.LoadWindow("CustomSoundDialog");
    save("CustomSoundDialog", "custom-sound-dialog.png");
    platform.UnloadWindow("CustomSoundDialog");
    platform.LoadWindow("AdsWindow");  // modal when its button opens it; it looks the same
    save("AdsWindow", "ads-window.png");
  }
  std::filesystem::remove_all(home);
  if (kalvor::test::XServer* server = kalvor::test::XServer::Shared()) server->Stop();
  std::_Exit(0);
}
