// A private X server for tests: Xvfb on a display number it picks itself, ready for connections
// when Start() returns, killed again by the destructor. Also runs xdotool against it, and on
// request a window manager (openbox), for tests that need windows framed, placed and focused as
// on a desktop.
//
// A test that needs one starts with KALVOR_NEED_X_SERVER() (KALVOR_NEED_DESKTOP() for one with a
// window manager): it is skipped, saying why, when Xvfb, xdotool or openbox is not installed, and
// fails when what is installed does not start.
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
  // Starts openbox on this server and waits until it manages windows. False (with Error() set)
  // when it did not; stopped again together with the server.
  bool StartWindowManager();
  const std::string& Display() const { return display_; }  // ":N"
  const std::string& Error() const { return error_; }

  // Runs xdotool with the arguments against this server; true when it exited with 0.
  bool Xdotool(const std::string& arguments) const;

  // The server the tests of this program share, started at the first call, with DISPLAY set to
  // it; nullptr when there is none, and SharedProblem() tells why.
  static XServer* Shared();
  static const std::string& SharedProblem();
  // True when there is none because Xvfb or xdotool is not installed.
  static bool SharedMissing();
  // The shared server with a window manager started on it at the first call; nullptr when there
  // is none (SharedProblem() and SharedMissing() tell why, openbox counting as a tool).
  static XServer* SharedDesktop();

 private:
  pid_t pid_ = -1;
  pid_t windowManager_ = -1;
  std::string display_;
  std::string error_;
};

}  // namespace kalvor::test

#define KALVOR_NEED_X_SERVER()                                  \
  do {                                                          \
    if (::kalvor::test::XServer::Shared() != nullptr) break;    \
    if (::kalvor::test::XServer::SharedMissing()) {             \
      GTEST_SKIP() << ::kalvor::test::XServer::SharedProblem(); \
    }                                                           \
    FAIL() << ::kalvor::test::XServer::SharedProblem();         \
  } while (false)

#define KALVOR_NEED_DESKTOP()                                       \
  do {                                                              \
    if (::kalvor::test::XServer::SharedDesktop() != nullptr) break; \
    if (::kalvor::test::XServer::SharedMissing()) {                 \
      GTEST_SKIP() << ::kalvor::test::XServer::SharedProblem();     \
    }                                                               \
    FAIL() << ::kalvor::test::XServer::SharedProblem();             \
  } while (false)
