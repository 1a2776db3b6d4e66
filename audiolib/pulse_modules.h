// The two server modules behind the virtual microphone, as the sound server sees them: a null
// sink that our mix is played into (kept out of users' way: it is not meant to be listened to)
// and a source remapped from that sink's monitor, which chat programs list as a microphone.
// Both carry the process id of the board that made them, so whatever a board leaves behind can
// be told apart from what the running one holds.
#pragma once

#include <sys/types.h>

#include <string>

namespace kalvor::audiolib {

class PulseModules {
 public:
  static constexpr const char* kSinkName = "kalvor_mix";
  static constexpr const char* kSourceName = "kalvor_mic";
  static constexpr const char* kNullSink = "module-null-sink";
  static constexpr const char* kRemapSource = "module-remap-source";

  static std::string sink_arguments(int rate, pid_t owner);
  static std::string source_arguments(pid_t owner);

  // True for a module one of our boards made (by its name and the device it creates).
  static bool is_ours(const char* module, const char* arguments);
  // The owner written into a module's arguments; 0 when there is none.
  static pid_t owner(const char* arguments);

  // True for the devices themselves, which must never become the system's default or feed the
  // microphone back into itself.
  static bool is_our_sink(const std::string& name) { return name == kSinkName; }
  static bool is_our_source(const std::string& name);
};

}  // namespace kalvor::audiolib
