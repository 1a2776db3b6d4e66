// A loaded window: its form, its top-level window, its controls by unit name, and what goes with
// it (the fonts made for its DPI, its icons, the windows a modal load disabled).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/forms/form_window.h"
#include "platform/win32/win32_control_record.h"

namespace kalvor {

struct Win32WindowRecord : FormWindow {
  HWND hwnd = nullptr;
  UINT dpi = 96;
  HFONT defaultFont = nullptr;  // the message font at the window's DPI (owned)
  HICON bigIcon = nullptr, smallIcon = nullptr;
  std::map<std::string, Win32ControlRecord, std::less<>> controls;
  bool disabled = false;              // disabled through its property, not by a modal window
  std::vector<HWND> disabledByModal;  // windows this modal window disabled while it is open
};

}  // namespace kalvor
