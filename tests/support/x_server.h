// A private X server for tests: Xvfb on a display number it picks itself, ready for connections
// when Start() returns, killed again by the destructor. Also runs xdotool against it.
#pragma once

#include <sys/types.h>

#include <string>

namespace kalvor::test {

class XServer {
 public:
  XServer() = default;
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // True when the program is found on PATH.
  static bool Installed(const std::string& program);

  // Starts Xvfb and waits until it accepts connections. False (with Error() set) when it failed.
  bool Start();
  void Stop();
  const std::string& Display() const { return display_; }  // ":N"
  const std::string& Error() const { return error_; }

  // Runs xdotool with the arguments against this server; true when it exited with 0.
  bool Xdotool(const std::string& arguments) const;

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string error_;
};

}  // namespace kalvor::test
