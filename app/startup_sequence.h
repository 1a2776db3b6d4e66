// The life of the process: the layers brought up in order until the main window takes input, the
// event loop, and the exit clean-up that takes them down.
#pragma once

namespace kalvor {

class PlatformServices;

class StartupSequence {
 public:
  // Registers the board's windows and binds every handler of the program.
  static void Prepare(PlatformServices& platform);
  // Brings the program up and runs it; returns the process exit code once no window is loaded.
  static int Run(PlatformServices& platform);
  // Run by the platform when the event loop ends or a fatal error ends the process.
  static void ExitCleanup();
};

}  // namespace kalvor
