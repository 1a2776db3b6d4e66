#include "app/startup_sequence.h"

#include "audio/audio_front_end.h"
#include "board/board_forms.h"
#include "board/custom_slots.h"
#include "board/device_volume_controls.h"
#include "board/hotkey_dialog.h"
#include "board/hotkey_host.h"
#include "board/hotkey_targets.h"
#include "board/settings_file.h"
#include "board/sound_button_handlers.h"
#include "platform/platform_services.h"
#include "resources/deployment.h"

namespace kalvor {

namespace {
constexpr std::string_view kMain = "MainWindow";
}  // namespace

StartupState& StartupSequence::State() {
  static StartupState state;
  return state;
}

void StartupSequence::Prepare(PlatformServices& platform) {
  BoardForms::RegisterAll(platform);
  platform.BindHandler(kMain, kMain, event::kCreated,
                       [](const EventArgs&) { MainWindowCreated(); });
  platform.BindHandler(kMain, kMain, event::kDestroyed,
                       [](const EventArgs&) { MainWindowDestroyed(); });
  SoundButtonHandlers::BindAll();
  CustomSlots::BindDialogHandlers();
  DeviceVolumeControls::BindHandlers();
  BindHotkeyHostHandlers();
  BindHotkeyDialogHandlers();
}

int StartupSequence::Run(PlatformServices& platform) {
  CreatePlayer();                            // A1
  platform.SetExitCleanup(&ExitCleanup);     // A2
  Deployment::DeployLibrary();               // A3
  if (!platform.LoadWindow(kMain, false)) {  // A4
    platform.FatalError("载入启动窗口失败");
  }
  return platform.RunEventLoop();  // A5
}

void StartupSequence::MainWindowCreated() {
  PlatformServices& platform = Platform();
  StartupState& state = State();
  AudioState& audio = Audio();

  state.appDataDir = platform.GetSpecialFolder(8);  // B1

  // B2: every number is probed; a number without a device does not end the probe.
  for (std::int32_t n = 1; n <= kProbedDevices; ++n) {
    if (CompareTexts(OutputDeviceName(n), kNoDevice) != 0) {
      platform.AddComboItem(kMain, "组合框输出通道", OutputDeviceName(n));
    }
  }

  audio.outputDevice = SettingsFile::ReadNumber(SettingsFile::kData, SettingsFile::kDevice);   // B3
  audio.volumePercent = SettingsFile::ReadNumber(SettingsFile::kData, SettingsFile::kVolume);  // B4
  state.hotkeySwitch = SettingsFile::ReadNumber(SettingsFile::kData, SettingsFile::kHotkeySwitch);
  if (state.hotkeySwitch == 0) state.hotkeySwitch = 1;  // B6
  if (audio.volumePercent == 0) audio.volumePercent = 100;
  if (audio.outputDevice == 0) audio.outputDevice = 1;

  OpenStoredDevice();  // B7: a failure shows nothing here; playing reports it later

  // B8..B10: written by the program, so no handler runs and nothing is written back.
  platform.SetInt(kMain, "组合框输出通道", Prop::ListIndex,
                  TruncateToInt(audio.outputDevice - 1.0));
  platform.SetInt(kMain, "滑块条1", Prop::Position, audio.volumePercent);
  platform.SetText(kMain, "音量大小标示", Prop::Caption, NumberToText(audio.volumePercent));

  HotkeyStartStep(state.hotkeySwitch);           // B11
  Deployment::WriteArchive(state.appDataDir);    // B12
  Deployment::ExtractArchive(state.appDataDir);  // B13
  CustomSlots::RefreshCustomCaptions();          // B14
}

void StartupSequence::MainWindowDestroyed() {
  ReleaseAudio();    // C1
  HotkeyStopStep();  // C2
  // The two modeless dialogs close with the main window: they act on its controls, and a host who
  // closes the board expects the whole program to end.
  PlatformServices& platform = Platform();
  for (std::string_view dialog : {"HotkeyDialog", "CustomSoundDialog"}) {
    if (platform.IsWindowLoaded(dialog)) platform.UnloadWindow(dialog);
  }
}

void StartupSequence::ExitCleanup() {
  Targets().soundName.clear();
  State().appDataDir.clear();
  Audio().playbackPath.clear();
  DestroyPlayer();
  Audio().playState.clear();
  Audio().lastNamedPath.clear();
}

}  // namespace kalvor
