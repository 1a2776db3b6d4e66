#include "platform/win32/win32_dpi.h"

namespace kalvor {

namespace {

template <typename Function>
Function User32(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 == nullptr
             ? nullptr
             : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using SetAwarenessContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
using DpiForWindow = UINT(WINAPI*)(HWND);
using DpiForSystem = UINT(WINAPI*)();
using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using ParametersForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

}  // namespace

void Win32Dpi::MakeProcessAware() {
  static bool done = false;
  if (done) return;
  done = true;
  if (auto set = User32<SetAwarenessContext>("SetProcessDpiAwarenessContext")) {
    if (set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
        set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) {
      return;
    }
    // Already set (by the program's manifest): keep it.
    if (GetLastError() == ERROR_ACCESS_DENIED) return;
  }
  SetProcessDPIAware();
}

UINT Win32Dpi::ForSystem() {
  if (auto get = User32<DpiForSystem>("GetDpiForSystem")) return get();
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kFormDpi;
}

UINT Win32Dpi::ForWindow(HWND hwnd) {
  if (auto get = User32<DpiForWindow>("GetDpiForWindow")) {
    const UINT dpi = hwnd != nullptr ? get(hwnd) : 0;
    if (dpi != 0) return dpi;
  }
  return ForSystem();
}

SIZE Win32Dpi::FrameSize(DWORD style, DWORD exStyle, UINT dpi) {
  RECT rect{0, 0, 0, 0};
  if (auto adjust = User32<AdjustForDpi>("AdjustWindowRectExForDpi")) {
    adjust(&rect, style, FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW Win32Dpi::MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (auto get = User32<ParametersForDpi>("SystemParametersInfoForDpi")) {
    if (get(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))
      return metrics.lfMessageFont;
  }
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ForSystem());
    return metrics.lfMessageFont;
  }
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfHeight = MulDiv(font.lfHeight, dpi, ForSystem());
  return font;
}

}  // namespace kalvor
