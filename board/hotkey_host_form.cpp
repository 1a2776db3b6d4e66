#include "board/hotkey_host_form.h"

#include <string>

namespace kalvor {

FormDef HotkeyHostForm::Build() {
  FormDef form{.name = std::string(kName),
               .x = 50,
               .y = 50,
               .outerWidth = 13,
               .outerHeight = 20,
               .visible = false};
  form.controls.push_back({.name = std::string(kReceiver),
                           .kind = ControlKind::Label,
                           .x = 8,
                           .y = 24,
                           .w = 192,
                           .h = 40});
  return form;
}

}  // namespace kalvor
