// The five windows of the board, registered with the platform in one go at start.
#pragma once

#include <vector>

#include "platform/platform_services.h"

namespace kalvor {

class BoardForms {
 public:
  // MainWindow, HotkeyDialog, CustomSoundDialog, HotkeyHostWindow and AdsWindow, in that order.
  static std::vector<FormDef> All();
  static void RegisterAll(PlatformServices& platform);
};

}  // namespace kalvor
