// The numbered properties of a control, read and written on its native window. Geometry reads and
// writes are in form pixels (96 DPI) and scaled for the window's DPI. The caller keeps the
// control's notifications from raising events while a value is written.
//
// Caption and Text are the one text of a control (a button's or label's caption, a combo box's
// selection field, an edit box's text). A drop-down list that cannot be edited keeps a written
// text: when it names an item that item becomes selected and shows; otherwise the selection stays
// as it was, and the text reads back while no item is selected.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform_services.h"
#include "platform/win32/win32_control_record.h"

namespace kalvor {

class Win32ControlProperties {
 public:
  static std::int32_t GetInt(const Win32ControlRecord& control, Prop prop);
  static void SetInt(Win32ControlRecord& control, Prop prop, std::int32_t value, UINT dpi);
  static std::string GetText(const Win32ControlRecord& control, Prop prop);
  static void SetText(Win32ControlRecord& control, Prop prop, std::string_view value, UINT dpi);

  // Shows text as the control's caption or text.
  static void ShowText(Win32ControlRecord& control, const std::string& text);
  // Appends an item to a combo box without changing its selection; its index, or -1 for a
  // control that is not a combo box.
  static std::int32_t AddItem(Win32ControlRecord& control, std::string_view text,
                              std::int32_t data);
  // Shows or hides the control as its own visibility and, on a tab control, the page shown say.
  static void ApplyVisibility(const Win32ControlRecord& control);
  static std::string WindowText(HWND hwnd);
};

}  // namespace kalvor
