// One control of a loaded window: its form entry, its native window and the values that live
// beside it (the file dialog's file name, the text written to a drop-down list, tag and pointer).
// Geometry is kept in form pixels (96 DPI), relative to the control's parent, and scaled for the
// window's DPI whenever it is placed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/forms/form_control.h"

namespace kalvor {

struct Win32ControlRecord : FormControl {
  HWND hwnd = nullptr;        // none for the archive unit and the file dialog
  HWND inner = nullptr;       // the edit field inside an editable combo box
  HFONT font = nullptr;       // the control's own font when its form names one (owned)
  HFONT base = nullptr;       // the font it is drawn in: its own or the window's
  HFONT condensed = nullptr;  // a narrower copy of base in which a wide caption fits (owned)
  int x = 0, y = 0, w = 0, h = 0;
  HWND tab = nullptr;    // the tab control whose page holds it
  int lastPosition = 0;  // a slider's position as last reported or written
};

}  // namespace kalvor
