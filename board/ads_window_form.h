// The studio's advertising window, opened modally by the "广告专区" buttons. It has no handlers.
#pragma once

#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

class AdsWindowForm {
 public:
  static constexpr std::string_view kName = "AdsWindow";

  static FormDef Build();
};

}  // namespace kalvor
