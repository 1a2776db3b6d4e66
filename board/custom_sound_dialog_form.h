// The dialog that gives a user-defined slot its title and sound file.
#pragma once

#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

class CustomSoundDialogForm {
 public:
  static constexpr std::string_view kName = "CustomSoundDialog";
  static constexpr std::string_view kTitleBox = "编辑框1";
  static constexpr std::string_view kPathBox = "编辑框2";
  static constexpr std::string_view kChoose = "按钮1";  // "选择": opens the file dialog
  static constexpr std::string_view kAdd = "按钮2";     // "添加": stores the slot
  static constexpr std::string_view kFileDialog = "通用对话框1";

  static FormDef Build();
};

}  // namespace kalvor
