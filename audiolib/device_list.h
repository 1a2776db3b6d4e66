// The output devices as the library numbers them: 1 is the system's default output, 2.. are the
// outputs the audio driver lists. The system may enumerate the hardware again on every query, so
// the list is read once and kept until refresh(). Names are kept for the life of the process, so a
// pointer handed out stays valid even after the device has gone.
//
// The default output is there while the driver lists an output, or, listing none, when the
// default can be opened (back ends that only have a default); a system without any output has no
// devices at all. Whether the default opens is asked once until the list is cleared, so a
// default the library holds open itself stays listed.
#pragma once

#include <string>
#include <vector>

namespace kalvor::audiolib {

class AudioOutput;

class DeviceList {
 public:
  // Reads the driver's outputs. The output must be connected.
  void refresh(AudioOutput& output);
  // Forget the list (the audio subsystem is going down).
  void clear();
  bool loaded() const { return loaded_; }

  // Number of the last device; 0 when not loaded.
  int count() const { return loaded_ && has_default_ ? 1 + static_cast<int>(listed_.size()) : 0; }
  // Name of device 1..count(), or null.
  const char* name(int device) const;
  // The name to open the device by: null for the default output.
  const char* open_name(int device) const;
  const char* driver() const { return driver_; }

 private:
  static const char* intern(const std::string& text);

  bool loaded_ = false;
  bool has_default_ = false;
  bool default_asked_ = false;
  bool default_opens_ = false;
  std::vector<const char*> listed_;
  const char* driver_ = "";
};

}  // namespace kalvor::audiolib
