#include "board/board_setup.h"

#include "board/board_forms.h"
#include "board/custom_slots.h"
#include "board/device_volume_controls.h"
#include "board/hotkey_dialog.h"
#include "board/hotkey_host.h"
#include "board/main_window_handlers.h"
#include "board/sound_button_handlers.h"
#include "platform/platform_services.h"

namespace kalvor {

void BoardSetup::Prepare(PlatformServices& platform) {
  BoardForms::RegisterAll(platform);
  MainWindowHandlers::Bind();
  SoundButtonHandlers::BindAll();
  CustomSlots::BindDialogHandlers();
  DeviceVolumeControls::BindHandlers();
  BindHotkeyHostHandlers();
  BindHotkeyDialogHandlers();
}

}  // namespace kalvor
