// A private sound server for a test that speaks the PulseAudio protocol: PulseAudio itself, or
// PipeWire with its session manager and its pulse layer (inside a private D-Bus session). Its own
// runtime folder, a null sink to play into, and pactl against it. The test process is pointed at
// it (PULSE_SERVER) while it runs.
#pragma once

#include <sys/types.h>

#include <string>

namespace kalvor::test {

class PulseServer {
 public:
  enum class Kind { kPulseAudio, kPipeWire };

  // True when the server's programs and pactl are installed.
  static bool Installed(Kind kind = Kind::kPulseAudio);
  static const char* Name(Kind kind);

  explicit PulseServer(Kind kind = Kind::kPulseAudio) : kind_(kind) {}
  ~PulseServer();
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  // Starts the server with one null sink and waits until it answers. False with Error() set.
  // After Kill() it starts again on the same socket.
  bool Start();
  // Ends the server at once (SIGKILL), as a crash would, and waits until it is gone.
  void Kill();
  const std::string& Error() const { return error_; }
  Kind kind() const { return kind_; }
  // The server's runtime folder, private to this server.
  const std::string& Dir() const { return dir_; }

  // pactl with the arguments; its output, and whether it exited with 0.
  bool Pactl(const std::string& arguments, std::string* output = nullptr) const;
  // Loads a null sink; its module number, -1 on failure.
  int LoadNullSink(const std::string& name);
  bool Unload(int module) const;
  int FirstSinkModule() const { return firstSink_; }

 private:
  bool Ready() const;

  Kind kind_;
  pid_t pid_ = -1;
  std::string dir_;
  std::string error_;
  int firstSink_ = -1;
};

}  // namespace kalvor::test
