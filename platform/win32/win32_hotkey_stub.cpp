// Stand-in for the RegisterHotKey backend until it is built: every key is refused.
#include "platform/hotkeys/win32_hotkey_backend.h"

namespace kalvor {

Win32HotkeyBackend::Win32HotkeyBackend(std::function<HWND()> hostWindow)
    : hostWindow_(std::move(hostWindow)) {}
Win32HotkeyBackend::~Win32HotkeyBackend() = default;
bool Win32HotkeyBackend::Grab(std::int32_t, std::uint32_t, std::int32_t) {
  return false;
}
bool Win32HotkeyBackend::Ungrab(std::int32_t) {
  return false;
}
LRESULT CALLBACK Win32HotkeyBackend::HostProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kalvor
