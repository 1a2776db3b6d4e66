#include "platform/hotkeys/desktop_hotkey_backend.h"

#include <QDBusConnection>
#include <QString>

#include "platform/hotkeys/command_hotkey_backend.h"
#include "platform/hotkeys/portal_hotkey_backend.h"
#include "platform/hotkeys/xcb_hotkey_backend.h"

namespace kalvor {
namespace {

bool WaylandSession() {
  return qEnvironmentVariable("XDG_SESSION_TYPE")
                 .compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0 ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

std::unique_ptr<HotkeyBackend> MakeDesktopHotkeyBackend() {
  // Under Wayland, X11 grabs (through XWayland) fire only while an X11 window has the focus.
  if (WaylandSession()) {
    if (auto portal = PortalHotkeyBackend::Connect(QDBusConnection::sessionBus())) return portal;
  }
  auto x11 = std::make_unique<XcbHotkeyBackend>();
  if (x11->Connected()) return x11;
  return std::make_unique<CommandHotkeyBackend>();
}

GlobalHotkeyService& DesktopHotkeyService() {
  GlobalHotkeyService& service = HotkeyService();
  if (!service.HasBackendFactory()) service.SetBackendFactory(&MakeDesktopHotkeyBackend);
  return service;
}

}  // namespace kalvor
