// The sound button right-clicked last: its caption and number. Written by the sound buttons'
// right-click handlers, read by the hotkey and custom-sound dialogs each time one of their
// handlers runs.
#pragma once

#include <cstdint>
#include <string>

namespace kalvor {

struct HotkeyTargets {
  std::string soundName;          // caption of the button: the sound to bind
  std::int32_t buttonNumber = 0;  // N of 音效按钮N, 1..112
};

HotkeyTargets& Targets();

}  // namespace kalvor
