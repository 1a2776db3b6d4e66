// A loaded window: its form, its top-level window, its controls by unit name, and what goes with
// it (the fonts made for its DPI, its icons, the windows a modal load disabled).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform_services.h"
#include "platform/win32/win32_control_record.h"

namespace kalvor {

struct Win32WindowRecord {
  FormDef form;
  std::uint64_t serial = 0;  // tells a window apart from a later load of the same form
  HWND hwnd = nullptr;
  UINT dpi = 96;
  HFONT defaultFont = nullptr;  // the message font at the window's DPI (owned)
  HICON bigIcon = nullptr, smallIcon = nullptr;
  std::map<std::string, Win32ControlRecord, std::less<>> controls;
  std::string tag;
  std::int32_t mousePointer = 0;
  bool visible = true;
  bool disabled = false;  // disabled through its property, not by a modal window
  bool closing = false;   // UnloadWindow or the close box asked for its destruction
  bool topMost = false;
  std::vector<HWND> disabledByModal;  // windows this modal window disabled while it is open
};

}  // namespace kalvor
