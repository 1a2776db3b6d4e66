#include "board/device_volume_controls.h"

#include "audio/audio_front_end.h"
#include "board/main_window_form.h"
#include "board/settings_file.h"
#include "platform/platform_services.h"

namespace kalvor {

namespace {
constexpr std::string_view kMain = MainWindowForm::kName;
constexpr std::string_view kDeviceList = MainWindowForm::kDeviceList;
constexpr std::string_view kSlider = MainWindowForm::kVolumeSlider;
constexpr std::string_view kVolumeLabel = MainWindowForm::kVolumeLabel;
}  // namespace

void DeviceVolumeControls::BindHandlers() {
  Platform().BindHandler(kMain, kDeviceList, event::kSelected,
                         [](const EventArgs&) { DeviceChosen(); });
  Platform().BindHandler(kMain, kSlider, event::kMoved, [](const EventArgs&) { VolumeChosen(); });
}

void DeviceVolumeControls::DeviceChosen() {
  PlatformServices& platform = Platform();
  ReleaseAudio();
  // The choice is stored before the library is reopened, so it is kept even when the device
  // cannot be opened.
  SettingsFile::Write(SettingsFile::kData, SettingsFile::kDevice,
                      NumberToText(platform.GetInt(kMain, kDeviceList, Prop::ListIndex) + 1));
  Audio().outputDevice = platform.GetInt(kMain, kDeviceList, Prop::ListIndex) + 1;
  OpenOutputDevice(Audio().outputDevice, 44100, 0, 0, 0);
}

void DeviceVolumeControls::VolumeChosen() {
  PlatformServices& platform = Platform();
  SettingsFile::Write(SettingsFile::kData, SettingsFile::kVolume,
                      NumberToText(platform.GetInt(kMain, kSlider, Prop::Position)));
  Audio().volumePercent = platform.GetInt(kMain, kSlider, Prop::Position);
  ApplyVolume(static_cast<float>(Audio().volumePercent / 100.0));
  platform.SetText(kMain, kVolumeLabel, Prop::Caption,
                   NumberToText(platform.GetInt(kMain, kSlider, Prop::Position)));
}

}  // namespace kalvor
