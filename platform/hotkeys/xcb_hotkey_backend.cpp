#include "platform/hotkeys/xcb_hotkey_backend.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

namespace kalvor {
namespace {

constexpr std::uint32_t kXkF1 = 0xffbe;
constexpr std::uint32_t kXkNumLock = 0xff7f;
constexpr std::uint32_t kXkAltL = 0xffe9;
constexpr std::uint32_t kXkMetaL = 0xffe7;
constexpr std::uint32_t kXkSuperL = 0xffeb;
constexpr std::uint16_t kModifierBits = 0xff;  // Shift, Lock, Control, Mod1..Mod5

}  // namespace

std::uint32_t XcbHotkeyBackend::KeysymForVirtualKey(std::int32_t keyCode) {
  if (keyCode >= 0x70 && keyCode <= 0x87) return kXkF1 + (keyCode - 0x70);  // F1..F24
  if (keyCode >= 'A' && keyCode <= 'Z') return 'a' + (keyCode - 'A');       // lower-case keysyms
  if (keyCode >= '0' && keyCode <= '9') return static_cast<std::uint32_t>(keyCode);
  if (keyCode >= 0x60 && keyCode <= 0x69) return 0xffb0 + (keyCode - 0x60);  // keypad 0..9
  switch (keyCode) {
    case 0x08:
      return 0xff08;  // BackSpace
    case 0x09:
      return 0xff09;  // Tab
    case 0x0d:
      return 0xff0d;  // Return
    case 0x13:
      return 0xff13;  // Pause
    case 0x1b:
      return 0xff1b;  // Escape
    case 0x20:
      return 0x0020;  // space
    case 0x21:
      return 0xff55;  // Prior
    case 0x22:
      return 0xff56;  // Next
    case 0x23:
      return 0xff57;  // End
    case 0x24:
      return 0xff50;  // Home
    case 0x25:
      return 0xff51;  // Left
    case 0x26:
      return 0xff52;  // Up
    case 0x27:
      return 0xff53;  // Right
    case 0x28:
      return 0xff54;  // Down
    case 0x2c:
      return 0xff61;  // Print
    case 0x2d:
      return 0xff63;  // Insert
    case 0x2e:
      return 0xffff;  // Delete
    case 0x6a:
      return 0xffaa;  // KP_Multiply
    case 0x6b:
      return 0xffab;  // KP_Add
    case 0x6d:
      return 0xffad;  // KP_Subtract
    case 0x6e:
      return 0xffae;  // KP_Decimal
    case 0x6f:
      return 0xffaf;  // KP_Divide
    case 0x91:
      return 0xff14;  // Scroll_Lock
    default:
      return 0;
  }
}

void XcbHotkeyBackend::FreeEvent::operator()(void* event) const {
  std::free(event);
}

XcbHotkeyBackend::XcbHotkeyBackend(const std::string& displayName) {
  const char* name = displayName.empty() ? std::getenv("DISPLAY") : displayName.c_str();
  if (name == nullptr || *name == '\0') return;  // no X display: every grab is refused
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(name, &screenNumber);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    xcb_disconnect(connection);
    return;
  }
  connection_ = connection;
  root_ = screens.data->root;
  keySymbols_ = xcb_key_symbols_alloc(connection_);
  LookUpModifiers();

  if (QCoreApplication::instance() != nullptr) {
    // Parented to the application so it goes with it, even if this backend outlives it.
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read,
                                    QCoreApplication::instance());
    QObject::connect(notifier_.data(), &QSocketNotifier::activated, notifier_.data(),
                     [this] { ProcessPendingEvents(); });
  }
}

XcbHotkeyBackend::~XcbHotkeyBackend() {
  Disconnect();
}

void XcbHotkeyBackend::Disconnect() {
  delete notifier_.data();
  notifier_ = nullptr;
  pending_.clear();
  grabs_.clear();
  if (keySymbols_ != nullptr) xcb_key_symbols_free(keySymbols_);
  keySymbols_ = nullptr;
  if (connection_ != nullptr) xcb_disconnect(connection_);
  connection_ = nullptr;
}

bool XcbHotkeyBackend::Connected() const {
  return connection_ != nullptr && xcb_connection_has_error(connection_) == 0;
}

std::uint8_t XcbHotkeyBackend::KeycodeOf(std::uint32_t keysym) const {
  if (keySymbols_ == nullptr || keysym == 0) return 0;
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(keySymbols_, keysym);
  if (codes == nullptr) return 0;
  const std::uint8_t first = codes[0];  // the list ends with XCB_NO_SYMBOL (0)
  std::free(codes);
  return first;
}

std::uint16_t XcbHotkeyBackend::ModifierMaskOf(std::uint32_t keysym, std::uint16_t fallback) const {
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(keySymbols_, keysym);
  if (codes == nullptr) return fallback;
  std::uint16_t mask = 0;
  xcb_get_modifier_mapping_reply_t* reply =
      xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr);
  if (reply != nullptr) {
    const xcb_keycode_t* table = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
      for (int k = 0; k < perModifier; ++k) {
        const xcb_keycode_t code = table[modifier * perModifier + k];
        if (code == 0) continue;
        for (const xcb_keycode_t* c = codes; *c != 0; ++c) {
          if (*c == code) mask = static_cast<std::uint16_t>(1u << modifier);
        }
      }
    }
    std::free(reply);
  }
  std::free(codes);
  return mask != 0 ? mask : fallback;
}

void XcbHotkeyBackend::LookUpModifiers() {
  numLockMask_ = ModifierMaskOf(kXkNumLock, 0);
  altMask_ = ModifierMaskOf(kXkAltL, ModifierMaskOf(kXkMetaL, XCB_MOD_MASK_1));
  superMask_ = ModifierMaskOf(kXkSuperL, XCB_MOD_MASK_4);
}

std::vector<std::uint16_t> XcbHotkeyBackend::LockVariants() const {
  std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
  if (numLockMask_ != 0 && numLockMask_ != XCB_MOD_MASK_LOCK) {
    variants.push_back(numLockMask_);
    variants.push_back(static_cast<std::uint16_t>(numLockMask_ | XCB_MOD_MASK_LOCK));
  }
  return variants;
}

bool XcbHotkeyBackend::Grab(std::int32_t id, std::uint32_t modifiers, std::int32_t keyCode) {
  if (!Connected()) return false;
  if (std::any_of(grabs_.begin(), grabs_.end(), [id](const KeyGrab& g) { return g.id == id; })) {
    return false;
  }
  const std::uint8_t keycode = KeycodeOf(KeysymForVirtualKey(keyCode));
  if (keycode == 0) return false;
  std::uint16_t mask = 0;
  if (modifiers & hotkey_mod::kShift) mask |= XCB_MOD_MASK_SHIFT;
  if (modifiers & hotkey_mod::kControl) mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & hotkey_mod::kAlt) mask |= altMask_;
  if (modifiers & hotkey_mod::kWin) mask |= superMask_;
  // Like RegisterHotKey, one combination is held under one id only.
  if (std::any_of(grabs_.begin(), grabs_.end(),
                  [&](const KeyGrab& g) { return g.keycode == keycode && g.modifiers == mask; })) {
    return false;
  }

  // One grab per lock combination, so the key also fires with NumLock or CapsLock on. All are
  // sent first and checked afterwards; one refusal (BadAccess: another client holds the key)
  // refuses the whole key and takes back the grabs that did succeed.
  const std::vector<std::uint16_t> variants = LockVariants();
  std::vector<xcb_void_cookie_t> cookies;
  for (std::uint16_t lock : variants) {
    cookies.push_back(xcb_grab_key_checked(connection_, 1, root_,
                                           static_cast<std::uint16_t>(mask | lock), keycode,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  }
  bool refused = false;
  for (const xcb_void_cookie_t& cookie : cookies) {
    if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
      refused = true;
      std::free(error);
    }
  }
  if (refused) {
    // Ungrabbing a combination this client does not hold changes nothing, and leaves another
    // client's grab alone.
    for (std::uint16_t lock : variants) {
      xcb_ungrab_key(connection_, keycode, root_, static_cast<std::uint16_t>(mask | lock));
    }
    xcb_flush(connection_);
  } else {
    grabs_.push_back({id, keycode, mask, variants});
    keys_[keycode] = {};
  }
  // Checking a request can pull events into xcb's queue without the socket becoming readable.
  ScheduleDrain();
  return !refused && Connected();
}

bool XcbHotkeyBackend::Ungrab(std::int32_t id) {
  auto it =
      std::find_if(grabs_.begin(), grabs_.end(), [id](const KeyGrab& g) { return g.id == id; });
  if (it == grabs_.end()) return false;
  const KeyGrab grab = *it;
  grabs_.erase(it);
  keys_[grab.keycode] = {};  // its release may now go to another client
  if (!Connected()) return false;
  for (std::uint16_t lock : grab.locks) {
    xcb_ungrab_key(connection_, grab.keycode, root_,
                   static_cast<std::uint16_t>(grab.modifiers | lock));
  }
  xcb_flush(connection_);
  return Connected();
}

void XcbHotkeyBackend::ScheduleDrain() {
  if (notifier_ != nullptr) {
    QTimer::singleShot(0, notifier_.data(), [this] { ProcessPendingEvents(); });
  }
}

void XcbHotkeyBackend::ProcessPendingEvents() {
  // Events wait in a member queue, taken one at a time, so that a nested event loop started by a
  // press (a message box) carries on in order where this call left off.
  for (;;) {
    if (!Connected()) {
      if (notifier_ != nullptr) notifier_->setEnabled(false);
      return;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
      pending_.emplace_back(event);
    }
    if (pending_.empty()) return;
    EventPtr owner = std::move(pending_.front());
    pending_.pop_front();
    auto* event = static_cast<xcb_generic_event_t*>(owner.get());
    switch (event->response_type & 0x7f) {
      case XCB_KEY_PRESS: {
        auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        KeyState& key = keys_[press->detail];
        // Auto-repeat: presses of a key that is held, or a release and a press of the same key
        // carrying one time stamp (the pair may arrive in two reads).
        const bool repeat = key.down || (key.released && key.releaseTime == press->time);
        key.down = true;
        key.released = false;
        if (!repeat) HandleKeyPress(press->detail, press->state);
        break;
      }
      case XCB_KEY_RELEASE: {
        auto* release = reinterpret_cast<xcb_key_release_event_t*>(event);
        KeyState& key = keys_[release->detail];
        key.down = false;
        key.released = true;
        key.releaseTime = release->time;
        break;
      }
      case XCB_MAPPING_NOTIFY:
        xcb_refresh_keyboard_mapping(keySymbols_,
                                     reinterpret_cast<xcb_mapping_notify_event_t*>(event));
        LookUpModifiers();
        break;
      default:
        break;  // errors of unchecked requests and anything else
    }
  }
}

void XcbHotkeyBackend::HandleKeyPress(std::uint8_t keycode, std::uint16_t state) {
  const auto locks = static_cast<std::uint16_t>(numLockMask_ | XCB_MOD_MASK_LOCK);
  const auto held = static_cast<std::uint16_t>(state & kModifierBits & ~locks);
  for (const KeyGrab& grab : grabs_) {
    if (grab.keycode == keycode && grab.modifiers == held) {
      ReportPress(grab.id);
      return;
    }
  }
}

}  // namespace kalvor
