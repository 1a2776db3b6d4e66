// The hotkey backend of a desktop where no program can hold keys for itself: a Wayland compositor
// without the global-shortcuts portal (sway and the other wlroots ones, COSMIC), or no desktop at
// all. Every key is held, and the only presses are those the command line hands in
// (`kalvor --key F3`, bound to a key in the compositor's own settings), which reach the service
// through GlobalHotkeyService::PressKey.
#pragma once

#include <cstdint>
#include <set>

#include "platform/hotkeys/hotkey_backend.h"

namespace kalvor {

class CommandHotkeyBackend : public HotkeyBackend {
 public:
  bool Grab(std::int32_t id, std::uint32_t, std::int32_t keyCode) override {
    return keyCode != 0 && ids_.insert(id).second;
  }
  bool Ungrab(std::int32_t id) override { return ids_.erase(id) == 1; }

 private:
  std::set<std::int32_t> ids_;
};

}  // namespace kalvor
