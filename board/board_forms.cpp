#include "board/board_forms.h"

#include "board/ads_window_form.h"
#include "board/custom_sound_dialog_form.h"
#include "board/hotkey_dialog_form.h"
#include "board/hotkey_host_form.h"
#include "board/main_window_form.h"

namespace kalvor {

std::vector<FormDef> BoardForms::All() {
  std::vector<FormDef> forms;
  forms.push_back(MainWindowForm::Build());
  forms.push_back(HotkeyDialogForm::Build());
  forms.push_back(CustomSoundDialogForm::Build());
  forms.push_back(HotkeyHostForm::Build());
  forms.push_back(AdsWindowForm::Build());
  return forms;
}

void BoardForms::RegisterAll(PlatformServices& platform) {
  for (const FormDef& form : All()) platform.RegisterForm(form);
}

}  // namespace kalvor
