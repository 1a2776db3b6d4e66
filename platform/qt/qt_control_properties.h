// The numbered properties of a control, read and written on its widget. Writes never raise the
// control's events: the widgets' signals are blocked while a value is set.
//
// Caption and Text are the one text of a control (a button's or label's caption, a combo box's
// selection field, an edit box's text). A drop-down list that cannot be edited keeps a written
// text: when it names an item that item becomes selected and shows; otherwise the selection stays
// as it was, and the text reads back while no item is selected.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform_services.h"
#include "platform/qt/qt_control_record.h"

namespace kalvor {

class QtControlProperties {
 public:
  static std::int32_t GetInt(const QtControlRecord& control, Prop prop);
  static void SetInt(QtControlRecord& control, Prop prop, std::int32_t value);
  static std::string GetText(const QtControlRecord& control, Prop prop);
  static void SetText(QtControlRecord& control, Prop prop, std::string_view value);

  // Shows text as the control's caption or text.
  static void ShowText(QtControlRecord& control, const std::string& text);
  // Appends an item to a combo box without changing its selection; its index, or -1 for a
  // control that is not a combo box.
  static std::int32_t AddItem(QtControlRecord& control, std::string_view text, std::int32_t data);
  static QColor ColorFromBgr(std::int32_t bgr);  // 0x00BBGGRR
  // A label shows Windows line breaks ("\r\n") as plain line breaks.
  static QString DisplayText(std::string_view text);
};

}  // namespace kalvor
