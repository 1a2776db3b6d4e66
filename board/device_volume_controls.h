// The output-device list and the volume slider of the main window: each writes its new value to
// the settings file first, then updates the front end and acts on the audio library.
#pragma once

namespace kalvor {

class DeviceVolumeControls {
 public:
  static void BindHandlers();
  static void DeviceChosen();
  static void VolumeChosen();
};

}  // namespace kalvor
