// A small watcher process that removes the virtual microphone's server modules when the board
// ends without closing the device: killed, crashed, or ended on a path that never reaches the
// library again. It waits on a pipe whose other end only the board holds; the end of the board
// closes it, and the watcher then unloads the modules that carry the board's process id. When
// the board closes the device itself it says so first and the watcher just ends.
//
// The watcher is the program kalvor-chat-guard in the library's own folder; without it the
// device works the same, and leftovers are removed the next time the device opens.
#pragma once

#include <sys/types.h>

#include <vector>

namespace kalvor::audiolib {

class ChatGuard {
 public:
  static constexpr const char* kProgram = "kalvor-chat-guard";

  ChatGuard() = default;
  ~ChatGuard() { release(false); }
  ChatGuard(const ChatGuard&) = delete;
  ChatGuard& operator=(const ChatGuard&) = delete;

  // Starts the watcher for this process. False when it is not installed or cannot start.
  bool start();
  // The device is closed: cleaned tells whether its modules are gone already (the watcher ends
  // at once), otherwise the watcher removes them.
  void release(bool cleaned);

 private:
  // Watchers that were still clearing up when released; the caller never waits for them.
  static std::vector<pid_t>& unreaped();
  static void reap_finished();

  pid_t pid_ = -1;
  int pipe_ = -1;
};

}  // namespace kalvor::audiolib
