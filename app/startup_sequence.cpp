#include "app/startup_sequence.h"

#include "app/command_line.h"
#include "audio/audio_front_end.h"
#include "board/board_setup.h"
#include "board/hotkey_targets.h"
#include "board/main_window_form.h"
#include "board/main_window_handlers.h"
#include "platform/command_channel.h"
#include "platform/platform_services.h"
#include "resources/deployment.h"

namespace kalvor {

void StartupSequence::Prepare(PlatformServices& platform) {
  BoardSetup::Prepare(platform);
}

int StartupSequence::Run(PlatformServices& platform) {
  // The player first: the main window's creation asks it for the output devices.
  CreatePlayer();
  // The clean-up is in place before any window exists, so that a fatal error from here on still
  // releases the player and the texts it holds.
  platform.SetExitCleanup(&ExitCleanup);
  // Our audio library goes where the library search finds it before anything calls into it: the
  // first call, from the main window's creation, binds the copy this start wrote.
  Deployment::DeployLibrary();
  // Loading the main window runs its created handler, which brings the board up from the
  // settings file; without a main window there is nothing to run.
  if (!platform.LoadWindow(MainWindowForm::kName, false)) {
    platform.FatalError("载入启动窗口失败");
  }
  // Requests from the command line (kalvor --key F3, kalvor --stop) reach the board from here on.
  const auto commands = CommandLine::Listen();
  // Until the last window is gone; the platform then runs the exit clean-up.
  return platform.RunEventLoop();
}

void StartupSequence::ExitCleanup() {
  Targets().soundName.clear();
  MainWindowHandlers::State().appDataDir.clear();
  Audio().playbackPath.clear();
  DestroyPlayer();
  Audio().playState.clear();
  Audio().lastNamedPath.clear();
}

}  // namespace kalvor
