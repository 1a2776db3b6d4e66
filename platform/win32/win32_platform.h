// The Win32 platform of the Windows edition: windows and controls built from the form tables with
// CreateWindowExW, their properties and events, message boxes, the open-file dialog, the shell,
// the event loop and the end of the process. Files, INI files, the archive, external libraries and
// fatal errors are the toolkit-free CorePlatform underneath; the drawing layer is GDI
// (win32_drawing_layer.h); global hotkeys go through RegisterHotKey
// (platform/hotkeys/win32_hotkey_backend.h). The process is per-monitor DPI aware: form
// coordinates are pixels at 96 DPI and are scaled to the monitor's.
#pragma once

#include <windows.h>

#include "platform/core/core_platform.h"

namespace kalvor {

class Win32Platform : public CorePlatform {
 public:
  // Becomes the process's platform. instance: the program's module (GetModuleHandleW(nullptr)).
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;
};

}  // namespace kalvor
