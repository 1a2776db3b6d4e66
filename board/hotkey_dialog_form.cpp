#include "board/hotkey_dialog_form.h"

#include <string>

namespace kalvor {

FormDef HotkeyDialogForm::Build() {
  FormDef form{
      .name = std::string(kName),
      .caption = "快捷键设置窗口",
      .x = 50,
      .y = 50,
      .outerWidth = 310,
      .outerHeight = 88,
  };
  auto& c = form.controls;
  // Shows the sound's name while the dialog is open.
  c.push_back({.name = std::string(kSoundLabel),
               .kind = ControlKind::Label,
               .x = 8,
               .y = 8,
               .w = 136,
               .h = 24});

  ControlDef keys{.name = std::string(kKeyList),
                  .kind = ControlKind::ComboEdit,
                  .x = 152,
                  .y = 8,
                  .w = 152,
                  .h = 20};
  keys.items.emplace_back(kNoKeyItem);
  for (int k = 1; k <= 10; ++k) keys.items.push_back("F" + std::to_string(k));
  c.push_back(std::move(keys));

  c.push_back({.name = std::string(kClearAll),
               .kind = ControlKind::Button,
               .x = 88,
               .y = 32,
               .w = 104,
               .h = 24,
               .caption = "清除所有快捷键"});
  c.push_back({.name = std::string(kConfirm),
               .kind = ControlKind::Button,
               .x = 224,
               .y = 32,
               .w = 72,
               .h = 24,
               .caption = "确定"});
  return form;
}

}  // namespace kalvor
