// The web address the board shows. Kept here, in one place, so that a change of address touches
// nothing else. (The author chat link and the author page open the help page shipped with the
// program: board/help_page.h.)
#pragma once

#include <string_view>

namespace kalvor::web {

// The web shop, loaded by the main window's out-of-sight web viewer.
inline constexpr std::string_view kWebShop = "https://shop.kalvor.example/";

}  // namespace kalvor::web
