// Creates the widget of a form control: its kind, geometry, caption, items, font, colours,
// picture and slider range, and the connections that raise its click, selected or moved event for
// the user's own actions (a click, a list item picked, the slider moved).
#pragma once

#include <QFont>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/platform_services.h"
#include "platform/qt/qt_control_record.h"

namespace kalvor {

class QtControlFactory {
 public:
  using Raise = std::function<void(const std::string& control, int event)>;

  explicit QtControlFactory(Raise raise) : raise_(std::move(raise)) {}

  // Creates control.widget under parent, placed at the control's coordinates relative to
  // parent; leaves it empty for the kinds without a visible form (archive unit, file dialog).
  void Build(QtControlRecord& control, QWidget* parent) const;

  static QFont FontFor(const FontDef& def, const QFont& base);
  // The font of every control whose form names none: the forms are laid out in pixels for the
  // 12-pixel 宋体 of a Chinese Windows desktop, for which an installed Chinese font stands in.
  static QFont DefaultFont();

 private:
  QWidget* CreateWidget(const ControlDef& def, QWidget* parent) const;
  static void ApplyTextColor(QWidget* widget, std::int32_t bgr);

  Raise raise_;
};

}  // namespace kalvor
