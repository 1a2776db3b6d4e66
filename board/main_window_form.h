// The main window: top banner, the tab of 140 buttons, the volume row, the output-device row,
// the bottom banner, and an out-of-sight web viewer.
#pragma once

#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

class MainWindowForm {
 public:
  static constexpr std::string_view kName = "MainWindow";
  static constexpr std::string_view kIconResource = ":/kalvor/icon.png";
  static constexpr std::string_view kTopBannerResource = ":/kalvor/banner_top.gif";
  static constexpr std::string_view kBottomBannerResource = ":/kalvor/banner_bottom.gif";

  // Grid of the tab pages, relative to the tab control.
  static constexpr int kGridLeft = 16;
  static constexpr int kGridTop = 32;
  static constexpr int kColumnPitch = 80;
  static constexpr int kRowPitch = 40;
  static constexpr int kButtonWidth = 72;
  static constexpr int kButtonHeight = 32;

  static FormDef Build();
};

}  // namespace kalvor
