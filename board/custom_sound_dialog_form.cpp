#include "board/custom_sound_dialog_form.h"

#include <string>

namespace kalvor {

FormDef CustomSoundDialogForm::Build() {
  FormDef form{.name = std::string(kName), .outerWidth = 363, .outerHeight = 105};
  auto& c = form.controls;
  c.push_back({.name = "标签1",
               .kind = ControlKind::Label,
               .x = 8,
               .y = 16,
               .w = 40,
               .h = 24,
               .caption = "音效："});
  // The slot title.
  c.push_back({.name = std::string(kTitleBox),
               .kind = ControlKind::EditBox,
               .x = 48,
               .y = 16,
               .w = 232,
               .h = 24});
  c.push_back({.name = "标签2",
               .kind = ControlKind::Label,
               .x = 8,
               .y = 48,
               .w = 32,
               .h = 24,
               .caption = "路径："});
  // The slot's sound file path.
  c.push_back({.name = std::string(kPathBox),
               .kind = ControlKind::EditBox,
               .x = 48,
               .y = 48,
               .w = 232,
               .h = 24});
  c.push_back({.name = std::string(kChoose),
               .kind = ControlKind::Button,
               .x = 288,
               .y = 16,
               .w = 64,
               .h = 24,
               .caption = "选择"});
  c.push_back({.name = std::string(kAdd),
               .kind = ControlKind::Button,
               .x = 288,
               .y = 48,
               .w = 64,
               .h = 24,
               .caption = "添加"});
  // Open-file dialog with no title, filter, start folder, default extension or file name.
  c.push_back({.name = std::string(kFileDialog), .kind = ControlKind::FileDialog});
  return form;
}

}  // namespace kalvor
