// Pixels at the monitor's DPI: the forms are laid out at 96 DPI and every coordinate, size and
// font is scaled to the DPI of the window it shows in. The DPI functions of Windows 10 are looked
// up at run time; without them the process is system DPI aware and every window has the
// system's DPI.
#pragma once

#include <windows.h>

namespace kalvor {

class Win32Dpi {
 public:
  static constexpr UINT kFormDpi = 96;

  // Per-monitor DPI awareness (version 2 where the system has it), once, before any window.
  static void MakeProcessAware();
  static UINT ForSystem();
  static UINT ForWindow(HWND hwnd);

  static int Scale(int formPixels, UINT dpi) { return MulDiv(formPixels, dpi, kFormDpi); }
  static int Unscale(int pixels, UINT dpi) { return MulDiv(pixels, kFormDpi, dpi); }

  // The sizes the frame of a window of this style adds around its client area at dpi.
  static SIZE FrameSize(DWORD style, DWORD exStyle, UINT dpi);
  // The font of message boxes and dialogs, at dpi.
  static LOGFONTW MessageFont(UINT dpi);
};

}  // namespace kalvor
