// The invisible window that holds the global hotkeys while the hotkey switch is on. Its label
// receives the hotkey notifications.
#pragma once

#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

class HotkeyHostForm {
 public:
  static constexpr std::string_view kName = "HotkeyHostWindow";
  static constexpr std::string_view kReceiver = "标签1";

  static FormDef Build();
};

}  // namespace kalvor
