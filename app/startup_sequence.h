// The life of the process: the start sequence up to the main window taking input, the main
// window's created and destroyed handlers, and the exit clean-up.
#pragma once

#include <cstdint>
#include <string>

namespace kalvor {

class PlatformServices;

// Globals set up at start.
struct StartupState {
  std::string appDataDir;
  std::int32_t hotkeySwitch = 0;
};

class StartupSequence {
 public:
  static constexpr std::int32_t kProbedDevices = 128;

  // Registers the forms and binds every handler of the program.
  static void Prepare(PlatformServices& platform);
  // Steps A1..A5: returns the process exit code once no window is loaded any more.
  static int Run(PlatformServices& platform);

  static void MainWindowCreated();
  static void MainWindowDestroyed();
  static void ExitCleanup();

  static StartupState& State();
};

}  // namespace kalvor
