// The main window's own life. Its creation brings the board up from the settings file: the device
// list, the stored device, volume and hotkey switch, the built-in sounds on disk and the slot
// titles. Its destruction takes down what hangs on it: the output device, the hotkey host and the
// two modeless dialogs.
#pragma once

#include <cstdint>
#include <string>

namespace kalvor {

// Set up when the main window is created.
struct MainWindowState {
  std::string appDataDir;
  std::int32_t hotkeySwitch = 0;
};

class MainWindowHandlers {
 public:
  // How many output device numbers the device list asks the player for.
  static constexpr std::int32_t kProbedDevices = 128;

  // Binds the created and destroyed handlers.
  static void Bind();
  static void Created();
  static void Destroyed();

  static MainWindowState& State();
};

}  // namespace kalvor
