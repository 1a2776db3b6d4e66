#include "device_list.h"

#include <deque>
#include <mutex>

#include "audio_output.h"

namespace kalvor::audiolib {

namespace {

// In the language of the board's windows; the devices the system lists keep their own names.
constexpr const char* kDefaultName = "系统默认输出设备";

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

void DeviceList::refresh(AudioOutput& output) {
  listed_.clear();
  for (const std::string& name : output.outputs()) listed_.push_back(intern(name));
  driver_ = intern(output.driver());
  if (listed_.empty() && !default_asked_) {
    default_opens_ = output.default_opens();
    default_asked_ = true;
  }
  has_default_ = !listed_.empty() || default_opens_;
  loaded_ = true;
}

void DeviceList::clear() {
  listed_.clear();
  loaded_ = false;
  default_asked_ = false;
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
