// A source of system-wide key presses: grabs a key with modifiers under an id and reports each
// press of a grabbed key by that id. The hotkey service sits on top of one of these; an X11 grab,
// RegisterHotKey on Windows or a desktop-portal shortcut is each one implementation.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace kalvor {

// Modifier flags of a grab, in the Windows encoding.
namespace hotkey_mod {
inline constexpr std::uint32_t kAlt = 1;
inline constexpr std::uint32_t kControl = 2;
inline constexpr std::uint32_t kShift = 4;
inline constexpr std::uint32_t kWin = 8;
}  // namespace hotkey_mod

class HotkeyBackend {
 public:
  using PressCallback = std::function<void(std::int32_t id)>;

  virtual ~HotkeyBackend() = default;

  // Grabs the key with exactly these modifiers under id, decided before returning. keyCode is a
  // Windows virtual-key code (F1..F10 = 0x70..0x79). False when the key is unknown, another
  // client holds it, id is already in use, or there is no desktop to grab on.
  virtual bool Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) = 0;
  // Releases the grab made under id; false when id holds none.
  virtual bool Ungrab(std::int32_t id) = 0;
  // Every key registered through the service has been unregistered again (the hotkeys were
  // switched off, refused keys included). A backend that holds a desktop session closes it here.
  virtual void ReleasedAll() {}

  // Called on the user-interface thread once per press of a grabbed key; a key held down reports
  // one press, not one per auto-repeat.
  void SetPressCallback(PressCallback callback) { onPress_ = std::move(callback); }

 protected:
  void ReportPress(std::int32_t id) {
    // A copy: the callback may run a nested event loop that replaces it.
    if (PressCallback callback = onPress_) callback(id);
  }

 private:
  PressCallback onPress_;
};

}  // namespace kalvor
