// Chooses how this desktop lets the program hold F1..F10: the global-shortcuts portal in a Wayland
// session whose portal offers it, X11 key grabs where an X display answers, and otherwise keys
// that only the command line presses.
#pragma once

#include <memory>

#include "platform/hotkeys/global_hotkey_service.h"
#include "platform/hotkeys/hotkey_backend.h"

namespace kalvor {

// Reads XDG_SESSION_TYPE, WAYLAND_DISPLAY and DISPLAY, and asks the session bus's portal.
std::unique_ptr<HotkeyBackend> MakeDesktopHotkeyBackend();

// The hotkey service of this process, with its backend chosen as above at first use.
GlobalHotkeyService& DesktopHotkeyService();

}  // namespace kalvor
