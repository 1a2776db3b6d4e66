// The dialog that gives a user-defined slot its title and sound file.
#pragma once

#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

class CustomSoundDialogForm {
 public:
  static constexpr std::string_view kName = "CustomSoundDialog";

  static FormDef Build();
};

}  // namespace kalvor
