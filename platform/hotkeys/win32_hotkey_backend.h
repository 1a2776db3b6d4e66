// Windows: RegisterHotKey on the hotkey host window, whose window procedure this backend replaces
// with its own while it holds a key, so a WM_HOTKEY reports the press and every message then goes
// on to the window's own procedure. A key another program holds is refused by Windows.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "platform/hotkeys/hotkey_backend.h"

namespace kalvor {

class Win32HotkeyBackend : public HotkeyBackend {
 public:
  // hostWindow gives the window the next grab goes to (the platform sets it from the host
  // handle of the registration in progress). The window of the first grab is the one watched
  // until every key is released again.
  explicit Win32HotkeyBackend(std::function<HWND()> hostWindow);
  ~Win32HotkeyBackend() override;
  Win32HotkeyBackend(const Win32HotkeyBackend&) = delete;
  Win32HotkeyBackend& operator=(const Win32HotkeyBackend&) = delete;

  bool Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) override;
  bool Ungrab(std::int32_t id) override;

 private:
  static LRESULT CALLBACK HostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Puts HostProcedure in place of the host's window procedure; false when another backend
  // watches that window or it cannot be replaced.
  bool Watch(HWND host);
  // Puts the host's own procedure back.
  void StopWatching();
  void ForgetHost(HWND host);

  std::function<HWND()> hostWindow_;
  HWND watched_ = nullptr;
  WNDPROC previous_ = nullptr;
  std::map<std::int32_t, HWND> grabs_;  // by id: the window the key was registered on
};

}  // namespace kalvor
