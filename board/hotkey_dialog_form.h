// The dialog that binds a function key to a built-in sound button.
#pragma once

#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

class HotkeyDialogForm {
 public:
  static constexpr std::string_view kName = "HotkeyDialog";
  // Item 0 of the key list: no key chosen.
  static constexpr std::string_view kNoKeyItem = "快捷键选择";

  static FormDef Build();
};

}  // namespace kalvor
