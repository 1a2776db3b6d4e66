// The fixed assignment of the board's 112 sound buttons to tab pages, grid cells and captions,
// and the 28 service buttons that fill the rest of every page.
//
// A sound button is known by its number N (1..112), the digits of its unit name "音效按钮N".
// Buttons 1..96 play the archive sound named by their caption; 97..112 are the user's slots,
// whose stored caption "自定义" is replaced by the slot title at start.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kalvor {

enum class ServiceRole { Stop, Contact, Ads, TopMost };

// Page 1..7, row 1..4, column 1..5 of the tab control's button grid; all 0 when out of range.
struct GridCell {
  int page = 0;
  int row = 0;
  int column = 0;
  friend bool operator==(const GridCell&, const GridCell&) = default;
};

// One of the four buttons in row 4, columns 2..5 of a page.
struct ServiceButton {
  std::string_view unitName;  // e.g. "按钮120"
  int page;
  int column;
  ServiceRole role;
  std::string_view caption;
};

class SoundCatalogue {
 public:
  static constexpr int kFirstBuiltIn = 1;
  static constexpr int kLastBuiltIn = 96;
  static constexpr int kFirstSlot = 97;
  static constexpr int kLastSlot = 112;
  static constexpr int kPages = 7;
  static constexpr int kRows = 4;
  static constexpr int kColumns = 5;
  static constexpr int kButtonsPerPage = 16;

  // The caption stored in the form for button n; "" when n is out of range.
  static std::string_view Caption(int n);
  // Where button n sits; {0, 0, 0} when n is out of range.
  static GridCell CellOf(int n);
  // The sound button in a cell; 0 for a service cell or a cell outside the grid.
  static int NumberAt(int page, int row, int column);
  // "音效按钮" followed by n in decimal.
  static std::string UnitName(int n);
  static bool IsBuiltIn(int n);
  static bool IsSlot(int n);
  // The tab caption of page 1..7; "" when out of range.
  static std::string_view PageCaption(int page);
  // All 28 service buttons, page by page, in column order.
  static std::span<const ServiceButton> ServiceButtons();
};

}  // namespace kalvor
