// Small helpers for the Windows edition's tests: a message loop run for a while, and plain
// windows to put controls in or to receive messages.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kalvor::win32_test {

// Dispatches the thread's messages for about ms milliseconds.
inline void Pump(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

// A window of a class with the given procedure (DefWindowProcW by default): a hidden top-level
// window when onScreen, otherwise a message-only window, which needs no display.
inline HWND MakeWindow(WNDPROC procedure = nullptr, bool onScreen = false) {
  static const wchar_t kClass[] = L"KalvorTestWindow";
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = &::DefWindowProcW;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    type.lpszClassName = kClass;
    return ::RegisterClassExW(&type) != 0;
  }();
  if (!registered) return nullptr;
  HWND hwnd = ::CreateWindowExW(0, kClass, L"test", onScreen ? WS_OVERLAPPEDWINDOW : 0, 0, 0, 480,
                                360, onScreen ? nullptr : HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd != nullptr && procedure != nullptr) {
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  }
  return hwnd;
}

// Windows on screen need a display for Wine's X11 driver (wine-run.sh passes KALVOR_WINE_DISPLAY
// on as DISPLAY).
inline bool HaveDisplay() {
  return ::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) != 0;
}

// The int32 the platform hands out for a window.
inline std::int32_t HandleOf(HWND hwnd) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(hwnd));
}

}  // namespace kalvor::win32_test
