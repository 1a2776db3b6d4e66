#include "platform/hotkeys/win32_hotkey_backend.h"

#include <utility>

namespace kalvor {

namespace {

// The backend watching each host window, for the window procedure that stands in for the host's.
std::map<HWND, Win32HotkeyBackend*>& Watching() {
  static std::map<HWND, Win32HotkeyBackend*> watching;
  return watching;
}

// Windows whose procedure could not be put back, as another was installed over ours after it:
// ours stays in their chain and passes every message on to the one it replaced.
std::map<HWND, WNDPROC>& Orphans() {
  static std::map<HWND, WNDPROC> orphans;
  return orphans;
}

}  // namespace

Win32HotkeyBackend::Win32HotkeyBackend(std::function<HWND()> hostWindow)
    : hostWindow_(std::move(hostWindow)) {}

Win32HotkeyBackend::~Win32HotkeyBackend() {
  while (!grabs_.empty()) Ungrab(grabs_.begin()->first);
  StopWatching();
}

bool Win32HotkeyBackend::Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) {
  if (grabs_.count(id) != 0 || keyCode <= 0 || keyCode > 0xFE) return false;
  HWND host = hostWindow_ ? hostWindow_() : nullptr;
  if (host == nullptr || !::IsWindow(host)) return false;
  // The first grab's window is watched until the last key is released; a key registered on
  // another window meanwhile is held there, but its presses go to that window alone.
  if (watched_ == nullptr && !Watch(host)) return false;
  if (!::RegisterHotKey(host, id, (modifiers & 0x0F) | MOD_NOREPEAT, static_cast<UINT>(keyCode))) {
    if (grabs_.empty()) StopWatching();
    return false;
  }
  grabs_.emplace(id, host);
  return true;
}

bool Win32HotkeyBackend::Ungrab(std::int32_t id) {
  const auto it = grabs_.find(id);
  if (it == grabs_.end()) return false;
  // Windows may already have dropped the key with a destroyed window: released all the same.
  ::UnregisterHotKey(it->second, id);
  grabs_.erase(it);
  if (grabs_.empty()) StopWatching();
  return true;
}

bool Win32HotkeyBackend::Watch(HWND host) {
  StopWatching();
  if (Watching().count(host) != 0) return false;  // another backend watches it
  ::SetLastError(0);
  const LONG_PTR previous =
      ::SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostProcedure));
  if (previous == 0 && ::GetLastError() != 0) return false;
  previous_ = reinterpret_cast<WNDPROC>(previous);
  watched_ = host;
  Watching()[host] = this;
  return true;
}

void Win32HotkeyBackend::StopWatching() {
  if (watched_ == nullptr) return;
  Watching().erase(watched_);
  // Put back only while ours is still the procedure in place: one installed over it since then
  // keeps calling ours, which passes everything on.
  if (::IsWindow(watched_) &&
      ::GetWindowLongPtrW(watched_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HostProcedure)) {
    ::SetWindowLongPtrW(watched_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  } else {
    Orphans()[watched_] = previous_;
  }
  watched_ = nullptr;
  previous_ = nullptr;
}

LRESULT CALLBACK Win32HotkeyBackend::HostProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
  const auto it = Watching().find(hwnd);
  WNDPROC previous = nullptr;
  if (it != Watching().end()) {
    Win32HotkeyBackend* backend = it->second;
    previous = backend->previous_;
    if (message == WM_HOTKEY) {
      // The press is reported before the host's own procedure sees the message.
      const auto id = static_cast<std::int32_t>(wParam);
      if (backend->grabs_.count(id) != 0) backend->ReportPress(id);
    }
    if (message == WM_NCDESTROY) backend->ForgetHost(hwnd);
  } else {
    const auto orphan = Orphans().find(hwnd);
    if (orphan == Orphans().end()) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    previous = orphan->second;
    if (message == WM_NCDESTROY) Orphans().erase(orphan);
  }
  return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

void Win32HotkeyBackend::ForgetHost(HWND host) {
  // The window is gone and Windows dropped its keys; the ids stay held until they are released.
  Watching().erase(host);
  watched_ = nullptr;
  previous_ = nullptr;
}

}  // namespace kalvor
