#include "board/device_volume_controls.h"

#include "audio/audio_front_end.h"
#include "board/main_window_form.h"
#include "board/settings_file.h"
#include "platform/platform_services.h"

namespace kalvor {

namespace {
using Main = MainWindowForm;
}  // namespace

void DeviceVolumeControls::BindHandlers() {
  Platform().BindHandler(Main::kName, Main::kDeviceList, event::kSelected,
                         [](const EventArgs&) { DeviceChosen(); });
  Platform().BindHandler(Main::kName, Main::kVolumeSlider, event::kMoved,
                         [](const EventArgs&) { VolumeChosen(); });
}

void DeviceVolumeControls::DeviceChosen() {
  PlatformServices& platform = Platform();
  ReleaseAudio();
  // The choice is stored before the library is reopened, so it is kept even when the device
  // cannot be opened.
  SettingsFile::Write(
      SettingsFile::kData, SettingsFile::kDevice,
      NumberToText(platform.GetInt(Main::kName, Main::kDeviceList, Prop::ListIndex) + 1));
  Audio().outputDevice = platform.GetInt(Main::kName, Main::kDeviceList, Prop::ListIndex) + 1;
  OpenOutputDevice(Audio().outputDevice, 44100, 0, 0, 0);
}

void DeviceVolumeControls::VolumeChosen() {
  PlatformServices& platform = Platform();
  SettingsFile::Write(
      SettingsFile::kData, SettingsFile::kVolume,
      NumberToText(platform.GetInt(Main::kName, Main::kVolumeSlider, Prop::Position)));
  Audio().volumePercent = platform.GetInt(Main::kName, Main::kVolumeSlider, Prop::Position);
  ApplyVolume(static_cast<float>(Audio().volumePercent / 100.0));
  platform.SetText(Main::kName, Main::kVolumeLabel, Prop::Caption,
                   NumberToText(platform.GetInt(Main::kName, Main::kVolumeSlider, Prop::Position)));
}

}  // namespace kalvor
