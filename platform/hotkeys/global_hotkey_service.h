// System-wide hotkeys for the program: hands out hotkey ids, grabs keys through a desktop backend
// and turns a reported press into the feedback event of the receiver control.
//
// Ids are 33000 + a serial counter that every registration attempt advances, failed ones too, so
// an id is never handed out twice in a process. All notifications go to the receiver named by the
// latest registration. Presses are taken only while a host window is watched: the first
// registration starts watching its host, and watching stops when the active count (registrations
// minus unregistrations) is back at 0.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/hotkeys/hotkey_backend.h"

namespace kalvor {

class GlobalHotkeyService {
 public:
  static constexpr std::int32_t kIdBase = 33000;
  using BackendFactory = std::function<std::unique_ptr<HotkeyBackend>()>;

  // The backend is made by the factory at the first registration; without a factory (or when it
  // gives no backend) every key is refused.
  explicit GlobalHotkeyService(BackendFactory factory = {});
  ~GlobalHotkeyService();
  GlobalHotkeyService(const GlobalHotkeyService&) = delete;
  GlobalHotkeyService& operator=(const GlobalHotkeyService&) = delete;

  // Only takes effect before the backend has been made.
  void SetBackendFactory(BackendFactory factory);
  // The desktop connection ends (the platform goes away): the backend and every grab it holds go
  // with it. A later registration makes a new backend.
  void ReleaseBackend();
  bool HasBackendFactory() const { return static_cast<bool>(factory_); }

  // Modifiers: 0 none, 1 Ctrl, 2 Shift, 3 Ctrl+Shift, 4 Alt, 5 Ctrl+Alt, 6 Shift+Alt; any other
  // value is taken as flags already (Alt 1, Ctrl 2, Shift 4). keyCode is a Windows virtual-key
  // code. Returns the new id, or 0 when the key was refused.
  std::int32_t Register(std::int32_t hostHandle, std::int32_t receiverHandle,
                        std::int32_t modifiers, std::int32_t keyCode);
  // Releases the key; the active count drops whatever the backend answers.
  bool Unregister(std::int32_t hostHandle, std::int32_t id);

  // A press of the key grabbed under id: raises the receiver's feedback event with (id, 0) before
  // returning, when id is one this service issued for the watched host.
  void Deliver(std::int32_t id);
  // A press of the key with this virtual-key code and no modifier that did not come from the
  // desktop (the command line): delivered under the id that key is held by, exactly as a real
  // press of it. Nothing happens when no such key is held. False when nothing was delivered.
  bool PressKey(std::int32_t keyCode);

  static std::uint32_t TranslateModifiers(std::int32_t modifiers);

  std::int32_t ActiveCount() const { return activeCount_; }
  std::int32_t LastIssuedId() const { return lastIssuedId_; }
  std::int32_t WatchedHost() const { return watchedHost_; }

 private:
  HotkeyBackend* Backend();

  BackendFactory factory_;
  std::unique_ptr<HotkeyBackend> backend_;
  bool backendMade_ = false;
  std::int32_t serial_ = 0;
  std::int32_t lastIssuedId_ = 0;
  std::int32_t activeCount_ = 0;
  std::int32_t receiver_ = 0;
  std::int32_t watchedHost_ = 0;
  struct Grant {
    std::int32_t host = 0;
    std::uint32_t flags = 0;
    std::int32_t keyCode = 0;
  };
  std::map<std::int32_t, Grant> granted_;  // by id: what each granted id holds, for which host
};

// The service of this process.
GlobalHotkeyService& HotkeyService();

}  // namespace kalvor
