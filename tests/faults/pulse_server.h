// A private PulseAudio server for a test: its own runtime folder, a null sink to play into, and
// pactl against it. The test process is pointed at it (PULSE_SERVER) while it runs.
#pragma once

#include <sys/types.h>

#include <string>

namespace kalvor::test {

class PulseServer {
 public:
  // True when pulseaudio and pactl are installed.
  static bool Installed();

  PulseServer() = default;
  ~PulseServer();
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  // Starts the server with one null sink and waits until it answers. False with Error() set.
  bool Start();
  const std::string& Error() const { return error_; }

  // pactl with the arguments; its output, and whether it exited with 0.
  bool Pactl(const std::string& arguments, std::string* output = nullptr) const;
  // Loads a null sink; its module number, -1 on failure.
  int LoadNullSink(const std::string& name);
  bool Unload(int module) const;
  int FirstSinkModule() const { return firstSink_; }

 private:
  pid_t pid_ = -1;
  std::string dir_;
  std::string error_;
  int firstSink_ = -1;
};

}  // namespace kalvor::test
