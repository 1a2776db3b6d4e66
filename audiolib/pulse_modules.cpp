#include "pulse_modules.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace kalvor::audiolib {

namespace {

constexpr std::string_view kOwnerKey = "kalvor.owner=";
constexpr int kLastPriority = -1000;

// True when arguments holds the word key=value on its own (not as part of a longer name).
bool has_argument(std::string_view arguments, std::string_view word) {
  for (std::size_t at = arguments.find(word); at != std::string_view::npos;
       at = arguments.find(word, at + 1)) {
    const bool starts = at == 0 || arguments[at - 1] == ' ';
    const std::size_t end = at + word.size();
    const bool ends = end == arguments.size() || arguments[end] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

}  // namespace

// Property values with blanks are quoted inside the quoted property list, which both servers
// need to load the module at all. The lowest session priority keeps PipeWire's session manager
// from picking either device as the default while there is any other.
std::string PulseModules::sink_arguments(int rate, pid_t owner) {
  return std::string("sink_name=") + kSinkName + " rate=" + std::to_string(rate) +
         " channels=2 format=float32le sink_properties='device.description=\"Kalvor "
         "内部混音（不是扬声器）\" device.class=abstract priority.session=" +
         std::to_string(kLastPriority) + " " + std::string(kOwnerKey) + std::to_string(owner) + "'";
}

std::string PulseModules::source_arguments(pid_t owner) {
  return std::string("master=") + kSinkName + ".monitor source_name=" + kSourceName +
         " source_properties='device.description=\"Kalvor 虚拟麦克风\" priority.session=" +
         std::to_string(kLastPriority) + " " + std::string(kOwnerKey) + std::to_string(owner) + "'";
}

bool PulseModules::is_ours(const char* module, const char* arguments) {
  if (module == nullptr || arguments == nullptr) return false;
  if (std::strcmp(module, kNullSink) == 0) {
    return has_argument(arguments, std::string("sink_name=") + kSinkName);
  }
  if (std::strcmp(module, kRemapSource) == 0) {
    return has_argument(arguments, std::string("source_name=") + kSourceName);
  }
  return false;
}

pid_t PulseModules::owner(const char* arguments) {
  if (arguments == nullptr) return 0;
  const char* at = std::strstr(arguments, kOwnerKey.data());
  if (at == nullptr) return 0;
  char* end = nullptr;
  const long value = std::strtol(at + kOwnerKey.size(), &end, 10);
  if (end == at + kOwnerKey.size() || value <= 0) return 0;
  return static_cast<pid_t>(value);
}

bool PulseModules::is_our_source(const std::string& name) {
  return name == kSourceName || name == std::string(kSinkName) + ".monitor";
}

}  // namespace kalvor::audiolib
