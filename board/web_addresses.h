// The three web addresses the board opens or shows. Kept here, in one place, so that a change of
// address touches nothing else.
#pragma once

#include <string_view>

namespace kalvor::web {

// Chat with the author: the four "联系作者" buttons and the top banner.
inline constexpr std::string_view kAuthorChat = "https://kalvor.example/chat";
// The author's own page: the bottom banner.
inline constexpr std::string_view kAuthorPage = "https://kalvor.example/";
// The web shop, loaded by the main window's out-of-sight web viewer.
inline constexpr std::string_view kWebShop = "https://shop.kalvor.example/";

}  // namespace kalvor::web
