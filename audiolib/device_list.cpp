#include "device_list.h"

#include <SDL.h>

#include <deque>
#include <mutex>

namespace kalvor::audiolib {

namespace {

constexpr const char* kDefaultName = "Default output";

}  // namespace

const char* DeviceList::intern(const std::string& text) {
  // Grows only by names never seen before, so it stays as small as the set of devices met.
  static std::mutex mutex;
  static auto* names = new std::deque<std::string>();
  std::lock_guard lock(mutex);
  for (const std::string& known : *names) {
    if (known == text) return known.c_str();
  }
  return names->emplace_back(text).c_str();
}

void DeviceList::refresh() {
  listed_.clear();
  const int n = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < n; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    listed_.push_back(intern(name != nullptr ? name : ""));
  }
  const char* driver = SDL_GetCurrentAudioDriver();
  driver_ = intern(driver != nullptr ? driver : "");
  loaded_ = true;
}

void DeviceList::clear() {
  listed_.clear();
  loaded_ = false;
}

const char* DeviceList::name(int device) const {
  if (device < 1 || device > count()) return nullptr;
  return device == 1 ? kDefaultName : listed_[device - 2];
}

const char* DeviceList::open_name(int device) const {
  if (device < 2 || device > count()) return nullptr;
  return listed_[device - 2];
}

}  // namespace kalvor::audiolib
