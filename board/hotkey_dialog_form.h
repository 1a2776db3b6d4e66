// The dialog that binds a function key to a built-in sound button.
#pragma once

#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

class HotkeyDialogForm {
 public:
  static constexpr std::string_view kName = "HotkeyDialog";
  static constexpr std::string_view kSoundLabel = "标签1";  // the sound being bound
  static constexpr std::string_view kKeyList = "组合框1";
  static constexpr std::string_view kConfirm = "按钮1";   // "确定"
  static constexpr std::string_view kClearAll = "按钮2";  // "清除所有快捷键"
  // Item 0 of the key list: no key chosen.
  static constexpr std::string_view kNoKeyItem = "快捷键选择";

  static FormDef Build();
};

}  // namespace kalvor
