// One control of a loaded window: its form entry, its native window and the values that live
// beside it (the file dialog's file name, the text written to a drop-down list, tag and pointer).
// Geometry is kept in form pixels (96 DPI), relative to the control's parent, and scaled for the
// window's DPI whenever it is placed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/platform_services.h"

namespace kalvor {

struct Win32ControlRecord {
  ControlDef def;
  HWND hwnd = nullptr;        // none for the archive unit and the file dialog
  HWND inner = nullptr;       // the edit field inside an editable combo box
  HFONT font = nullptr;       // the control's own font when its form names one (owned)
  HFONT base = nullptr;       // the font it is drawn in: its own or the window's
  HFONT condensed = nullptr;  // a narrower copy of base in which a wide caption fits (owned)
  int x = 0, y = 0, w = 0, h = 0;
  // The caption or text as last written (or as in the form).
  std::string caption;
  // The file dialog's file name; for a drop-down list, the text last written to it.
  std::string storedText;
  std::string tag;
  std::int32_t mousePointer = 0;
  bool visible = true;   // the control's own visibility; a tab page may still hide it
  HWND tab = nullptr;    // the tab control whose page holds it
  int lastPosition = 0;  // a slider's position as last reported or written
};

}  // namespace kalvor
