// A private D-Bus session bus for tests: its own dbus-daemon, which starts no services on demand
// (so no real desktop portal is ever started behind a test's back), stopped by the destructor.
#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <string>

namespace kalvor::test {

class SessionBus {
 public:
  SessionBus() = default;
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Starts the daemon and waits for its address. False (with Error() set) when it failed.
  bool Start();
  const std::string& Address() const { return address_; }
  const std::string& Error() const { return error_; }

 private:
  QTemporaryDir folder_;
  QProcess daemon_;
  std::string address_;
  std::string error_;
};

}  // namespace kalvor::test
