// The Windows edition carries the artwork as RCDATA resources of the program file
// (board_assets.rc), named as the Win32 platform looks them up by their resource paths.
#include <windows.h>

#include "board/assets/board_assets.h"
#include "board/main_window_form.h"

namespace kalvor {

std::vector<std::string> BoardAssets::Missing() {
  struct Asset {
    std::string_view path;
    const wchar_t* name;
  };
  static constexpr Asset kAssets[] = {
      {MainWindowForm::kIconResource, L"KALVOR_ICON_PNG"},
      {MainWindowForm::kTopBannerResource, L"KALVOR_BANNER_TOP_GIF"},
      {MainWindowForm::kBottomBannerResource, L"KALVOR_BANNER_BOTTOM_GIF"},
  };
  std::vector<std::string> missing;
  for (const Asset& asset : kAssets) {
    if (::FindResourceW(::GetModuleHandleW(nullptr), asset.name, RT_RCDATA) == nullptr) {
      missing.emplace_back(asset.path);
    }
  }
  return missing;
}

}  // namespace kalvor
