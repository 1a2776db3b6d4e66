// The artwork compiled into kalvor_board_assets: the window icon and the two banners that the
// main window's form names by resource path.
#pragma once

#include <string>
#include <vector>

namespace kalvor {

class BoardAssets {
 public:
  // The resource paths the main window's form uses that cannot be found; empty when all are
  // compiled in and linked.
  static std::vector<std::string> Missing();
};

}  // namespace kalvor
