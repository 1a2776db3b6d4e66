#include "platform/hotkeys/global_hotkey_service.h"

#include <utility>

#include "platform/platform_services.h"

namespace kalvor {

GlobalHotkeyService::GlobalHotkeyService(BackendFactory factory) : factory_(std::move(factory)) {}

GlobalHotkeyService::~GlobalHotkeyService() = default;

void GlobalHotkeyService::SetBackendFactory(BackendFactory factory) {
  if (!backendMade_) factory_ = std::move(factory);
}

void GlobalHotkeyService::ReleaseBackend() {
  backend_.reset();
  backendMade_ = false;
  granted_.clear();
}

HotkeyBackend* GlobalHotkeyService::Backend() {
  if (!backendMade_) {
    backendMade_ = true;
    if (factory_) backend_ = factory_();
    if (backend_) backend_->SetPressCallback([this](std::int32_t id) { Deliver(id); });
  }
  return backend_.get();
}

std::uint32_t GlobalHotkeyService::TranslateModifiers(std::int32_t modifiers) {
  using namespace hotkey_mod;
  switch (modifiers) {
    case 0:
      return 0;
    case 1:
      return kControl;
    case 2:
      return kShift;
    case 3:
      return kControl | kShift;
    case 4:
      return kAlt;
    case 5:
      return kControl | kAlt;
    case 6:
      return kShift | kAlt;
    default:
      return static_cast<std::uint32_t>(modifiers);
  }
}

std::int32_t GlobalHotkeyService::Register(std::int32_t hostHandle, std::int32_t receiverHandle,
                                           std::int32_t modifiers, std::int32_t keyCode) {
  receiver_ = receiverHandle;
  const std::uint32_t flags = TranslateModifiers(modifiers);
  if (watchedHost_ == 0) watchedHost_ = hostHandle;
  ++activeCount_;
  ++serial_;
  const std::int32_t id = kIdBase + serial_;
  lastIssuedId_ = id;
  HotkeyBackend* backend = Backend();
  if (backend == nullptr || !backend->Grab(id, flags, keyCode)) return 0;
  granted_[id] = {hostHandle, flags, keyCode};
  return id;
}

bool GlobalHotkeyService::Unregister(std::int32_t hostHandle, std::int32_t id) {
  bool released = false;
  auto it = granted_.find(id);
  if (it != granted_.end() && it->second.host == hostHandle) {
    HotkeyBackend* backend = Backend();
    released = backend != nullptr && backend->Ungrab(id);
    if (released) granted_.erase(it);
  }
  --activeCount_;
  if (watchedHost_ != 0 && activeCount_ == 0) watchedHost_ = 0;
  if (activeCount_ == 0 && backend_) backend_->ReleasedAll();
  return released;
}

void GlobalHotkeyService::Deliver(std::int32_t id) {
  if (watchedHost_ == 0) return;
  auto it = granted_.find(id);
  if (it == granted_.end() || it->second.host != watchedHost_) return;
  // Every id from the first one up to the last issued is a candidate; the pressed one is told to
  // the receiver, anything outside that range is not.
  if (id > kIdBase && id <= lastIssuedId_) Platform().RaiseFeedback(receiver_, id, 0);
}

bool GlobalHotkeyService::PressKey(std::int32_t keyCode) {
  for (const auto& [id, grant] : granted_) {
    if (grant.keyCode == keyCode && grant.flags == 0 && grant.host == watchedHost_) {
      Deliver(id);
      return true;
    }
  }
  return false;
}

GlobalHotkeyService& HotkeyService() {
  static GlobalHotkeyService service;
  return service;
}

}  // namespace kalvor
