#include "board/main_window_handlers.h"

#include "audio/audio_front_end.h"
#include "board/custom_slots.h"
#include "board/custom_sound_dialog_form.h"
#include "board/hotkey_dialog_form.h"
#include "board/hotkey_host.h"
#include "board/main_window_form.h"
#include "board/settings_file.h"
#include "platform/platform_services.h"
#include "resources/deployment.h"

namespace kalvor {

namespace {
constexpr std::string_view kMain = MainWindowForm::kName;
}  // namespace

MainWindowState& MainWindowHandlers::State() {
  static MainWindowState state;
  return state;
}

void MainWindowHandlers::Bind() {
  Platform().BindHandler(kMain, kMain, event::kCreated, [](const EventArgs&) { Created(); });
  Platform().BindHandler(kMain, kMain, event::kDestroyed, [](const EventArgs&) { Destroyed(); });
}

void MainWindowHandlers::Created() {
  PlatformServices& platform = Platform();
  MainWindowState& state = State();
  AudioState& audio = Audio();

  // The per-user data folder, where the settings file, the archive and the sounds live.
  state.appDataDir = platform.GetSpecialFolder(8);

  // The device list. Every number is asked for: a number without a device does not mean that the
  // numbers after it have none.
  for (std::int32_t n = 1; n <= kProbedDevices; ++n) {
    if (CompareTexts(OutputDeviceName(n), kNoDevice) != 0) {
      platform.AddComboItem(kMain, MainWindowForm::kDeviceList, OutputDeviceName(n));
    }
  }

  // The stored device, volume and hotkey switch; a missing or zero value means the first device,
  // full volume and hotkeys on.
  audio.outputDevice = SettingsFile::ReadNumber(SettingsFile::kData, SettingsFile::kDevice);
  audio.volumePercent = SettingsFile::ReadNumber(SettingsFile::kData, SettingsFile::kVolume);
  state.hotkeySwitch = SettingsFile::ReadNumber(SettingsFile::kData, SettingsFile::kHotkeySwitch);
  if (state.hotkeySwitch == 0) state.hotkeySwitch = 1;
  if (audio.volumePercent == 0) audio.volumePercent = 100;
  if (audio.outputDevice == 0) audio.outputDevice = 1;

  // The stored device is opened. A failure shows nothing here: playing a sound reports it, until
  // the host picks another device.
  OpenStoredDevice();

  // The controls show the stored values. Written by the program, they raise no handler, so
  // nothing is written back to the settings file.
  platform.SetInt(kMain, MainWindowForm::kDeviceList, Prop::ListIndex,
                  TruncateToInt(audio.outputDevice - 1.0));
  platform.SetInt(kMain, MainWindowForm::kVolumeSlider, Prop::Position, audio.volumePercent);
  platform.SetText(kMain, MainWindowForm::kVolumeLabel, Prop::Caption,
                   NumberToText(audio.volumePercent));

  // With the switch on, the hotkey host window is loaded and F1..F10 are registered.
  HotkeyStartStep(state.hotkeySwitch);

  // The built-in sounds are written afresh on every start: the archive, then its contents.
  Deployment::WriteArchive(state.appDataDir);
  Deployment::ExtractArchive(state.appDataDir, kMain, MainWindowForm::kArchive);

  // The user-defined slots show their stored titles.
  CustomSlots::RefreshCustomCaptions();
}

void MainWindowHandlers::Destroyed() {
  // Nothing plays once the window is gone: the output device is freed first.
  ReleaseAudio();
  // The hotkeys end with the window: unloading the host releases F1..F10.
  HotkeyStopStep();
  // The two modeless dialogs close with the main window: they act on its controls, and a host who
  // closes the board expects the whole program to end.
  PlatformServices& platform = Platform();
  for (std::string_view dialog : {HotkeyDialogForm::kName, CustomSoundDialogForm::kName}) {
    if (platform.IsWindowLoaded(dialog)) platform.UnloadWindow(dialog);
  }
}

}  // namespace kalvor
