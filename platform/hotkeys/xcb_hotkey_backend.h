// System-wide hotkeys on an X11 desktop: passive key grabs on the root window over a connection of
// our own, so they work whichever platform plugin Qt itself runs on (also offscreen). Without an X
// display (a Wayland-only session, or DISPLAY unset) every grab is refused and nothing else fails.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>

#include "platform/hotkeys/hotkey_backend.h"

class QSocketNotifier;
struct xcb_connection_t;
struct _XCBKeySymbols;

namespace kalvor {

class XcbHotkeyBackend : public HotkeyBackend {
 public:
  // Connects to the display named, or to $DISPLAY when the name is empty. Events are read through
  // a socket notifier when a QCoreApplication exists, otherwise by calling ProcessPendingEvents.
  explicit XcbHotkeyBackend(const std::string& displayName = {});
  ~XcbHotkeyBackend() override;
  XcbHotkeyBackend(const XcbHotkeyBackend&) = delete;
  XcbHotkeyBackend& operator=(const XcbHotkeyBackend&) = delete;

  bool Connected() const;
  bool Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) override;
  bool Ungrab(std::int32_t id) override;

  // Reads every event that has arrived and reports the presses of grabbed keys.
  void ProcessPendingEvents();

  // The X keysym of a Windows virtual-key code, 0 when there is none: F1..F24, letters, digits,
  // the keypad and the usual editing and cursor keys.
  static std::uint32_t KeysymForVirtualKey(std::int32_t keyCode);

 private:
  struct KeyGrab {
    std::int32_t id = 0;
    std::uint8_t keycode = 0;
    std::uint16_t modifiers = 0;       // X modifier mask without the lock modifiers
    std::vector<std::uint16_t> locks;  // the lock combinations grabbed with it
  };
  struct FreeEvent {
    void operator()(void* event) const;
  };
  using EventPtr = std::unique_ptr<void, FreeEvent>;  // an xcb event, freed with free()

  void LookUpModifiers();
  std::uint16_t ModifierMaskOf(std::uint32_t keysym, std::uint16_t fallback) const;
  std::uint8_t KeycodeOf(std::uint32_t keysym) const;
  std::vector<std::uint16_t> LockVariants() const;
  void ScheduleDrain();
  void Disconnect();
  void HandleKeyPress(std::uint8_t keycode, std::uint16_t state);

  xcb_connection_t* connection_ = nullptr;
  _XCBKeySymbols* keySymbols_ = nullptr;
  std::uint32_t root_ = 0;
  std::uint16_t numLockMask_ = 0;
  std::uint16_t altMask_ = 0;
  std::uint16_t superMask_ = 0;
  QPointer<QSocketNotifier> notifier_;
  std::vector<KeyGrab> grabs_;
  struct KeyState {
    bool down = false;
    bool released = false;
    std::uint32_t releaseTime = 0;
  };
  std::array<KeyState, 256> keys_{};  // by keycode
  std::deque<EventPtr> pending_;
};

}  // namespace kalvor
