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

  // The controls its handlers reach by name.
  static constexpr std::string_view kTabs = "选择夹1";  // the seven pages of buttons
  static constexpr std::string_view kTopBanner = "图片框1";
  static constexpr std::string_view kBottomBanner = "图片框2";
  static constexpr std::string_view kVolumeSlider = "滑块条1";
  static constexpr std::string_view kVolumeLabel = "音量大小标示";  // the slider's value
  static constexpr std::string_view kHotkeySwitch = "选择框1";      // "热键开关"
  static constexpr std::string_view kHotkeyLabel = "标签2";         // the hovered button's hotkey
  static constexpr std::string_view kDeviceList = "组合框输出通道";
  static constexpr std::string_view kArchive = "ZIP压缩1";  // unpacks the sound archive

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
