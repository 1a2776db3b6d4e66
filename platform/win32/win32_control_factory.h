// Creates the native window of a form control: its class and styles, geometry, items, font,
// picture and slider range.
#pragma once

#include <windows.h>

#include "platform/platform_services.h"
#include "platform/win32/win32_control_record.h"

namespace kalvor {

class Win32ControlFactory {
 public:
  // Creates control.hwnd under parent at the control's form coordinates (relative to parent)
  // scaled to dpi, with defaultFont unless the form names a font of its own; leaves it empty for
  // the kinds without a visible form (archive unit, file dialog).
  static void Build(Win32ControlRecord& control, HWND parent, int id, UINT dpi, HFONT defaultFont);
  // Moves and sizes the control to its form geometry at dpi.
  static void Place(const Win32ControlRecord& control, UINT dpi);
  // Gives the control the font for dpi: its own (made anew) or defaultFont.
  static void ApplyFont(Win32ControlRecord& control, UINT dpi, HFONT defaultFont);
  // Draws a caption wider than the room its button, check box or one-line label has in a
  // condensed copy of its font, down to 60 % of the width, and any other in the font itself. The
  // forms are laid out for a font whose digits and signs are half as wide as a Chinese character
  // and whose characters fill the buttons exactly; other fonts draw some of them wider.
  static void FitCaption(Win32ControlRecord& control);
  // The font a form entry names at dpi (the message font with the family, pixel height, weight
  // and character set the form gives); nullptr when it names none. The caller deletes it.
  static HFONT FontFor(const FontDef& def, UINT dpi);

 private:
  static HWND Create(const ControlDef& def, HWND parent, int id, UINT dpi);
};

}  // namespace kalvor
