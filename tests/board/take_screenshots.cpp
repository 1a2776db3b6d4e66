// Starts the board offscreen in a scratch home folder and saves a picture of the main window for
// each of its seven pages (main-window-page1.png ...) and of the two dialogs, into the folder
// given as the first argument. Used to look at the board and for the README's picture.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/audio_front_end.h"
#include "board/board_setup.h"
#include "board/hotkey_targets.h"
#include "platform/core/platform_seam.h"
#include "platform/qt/qt_platform.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::filesystem::path out = std::filesystem::absolute(argv[1]);
  std::filesystem::create_directories(out);
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "kalvor-screenshots";
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  kalvor::QtPlatform platform(argc, argv);
  kalvor::PlatformSeam::Instance().Arm();
  kalvor::BoardSetup::Prepare(platform);
  kalvor::CreatePlayer();
  platform.LoadWindow("MainWindow");
  QApplication::processEvents();

  auto save = [&](QWidget* widget, const std::string& name) {
    QApplication::processEvents();
    widget->grab().save(QString::fromStdString((out / name).string()));
  };
  QWidget* main = platform.WidgetForHandle(platform.GetWindowHandle("MainWindow", "MainWindow"));
  auto* tabs = qobject_cast<QTabWidget*>(
      platform.WidgetForHandle(platform.GetWindowHandle("MainWindow", "选择夹1")));
  platform.SetText("MainWindow", "标签2", kalvor::Prop::Caption, "F3");
  for (int page = 0; page < tabs->count(); ++page) {
    tabs->setCurrentIndex(page);
    save(main, "main-window-page" + std::to_string(page + 1) + ".png");
  }
  tabs->setCurrentIndex(0);
  kalvor::Targets().soundName = "欢呼掌声";
  kalvor::Targets().buttonNumber = 3;
  platform.LoadWindow("HotkeyDialog");
  save(platform.WidgetForHandle(platform.GetWindowHandle("HotkeyDialog", "HotkeyDialog")),
       "hotkey-dialog.png");
  kalvor::Targets().buttonNumber = 97;
  platform.LoadWindow("CustomSoundDialog");
  save(platform.WidgetForHandle(platform.GetWindowHandle("CustomSoundDialog", "CustomSoundDialog")),
       "custom-sound-dialog.png");
  std::filesystem::remove_all(home);
  std::_Exit(0);
}
