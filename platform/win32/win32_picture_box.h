// The picture box control of the Windows edition: a child window that shows a picture the program
// carries (win32_resources.h), drawn with GDI+ and scaled to the box. A GIF animates for ever with
// the delays its frames give, and only while it can be seen (the box and its window shown, the
// window not minimized). Mouse messages reach the window procedure the platform installs over it,
// as for any other control.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace kalvor {

class Win32PictureBox {
 public:
  // Creates the box as a child of parent at (x, y, width, height) in the parent's client pixels
  // (already scaled for the monitor's DPI by the caller), with control id. nullptr on failure; an
  // unknown or unreadable picture gives an empty box, not a failure.
  static HWND Create(HWND parent, int x, int y, int width, int height,
                     std::string_view resourcePath, int controlId);
  // Frames stepped since the picture was set, for tests; -1 when hwnd is no picture box.
  static int Steps(HWND hwnd);
  // How long each frame of the picture shows, in milliseconds (one entry for a still picture,
  // none for an empty box), for tests.
  static std::vector<int> Delays(HWND hwnd);
};

}  // namespace kalvor
