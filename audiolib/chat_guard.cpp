#include "chat_guard.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kalvor::audiolib {

namespace {

// The folder of the file this code was loaded from: libbass.so, or a program linked with it.
std::string own_folder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&own_folder), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  std::string path = info.dli_fname;
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

bool ChatGuard::start() {
  reap_finished();
  if (pid_ > 0) return true;
  const std::string program = own_folder() + "/" + kProgram;
  if (access(program.c_str(), X_OK) != 0) return false;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const std::string owner = std::to_string(getpid());
  char* const arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(owner.c_str()),
                             nullptr};
  const int failed = posix_spawn(&pid_, program.c_str(), &actions, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[0]);
  if (failed != 0) {
    pid_ = -1;
    close(ends[1]);
    return false;
  }
  pipe_ = ends[1];
  return true;
}

void ChatGuard::release(bool cleaned) {
  reap_finished();
  if (pid_ <= 0) return;
  if (cleaned) {
    const char quit = 'q';
    if (write(pipe_, &quit, 1) != 1) cleaned = false;
  }
  close(pipe_);
  pipe_ = -1;
  // Told to quit, the watcher ends at once. Otherwise it talks to the server first, which must
  // not hold the caller up: it is reaped later, when the device opens or closes again.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
  while (cleaned && waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > give_up) {
      cleaned = false;
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  if (!cleaned) unreaped().push_back(pid_);
  pid_ = -1;
}

std::vector<pid_t>& ChatGuard::unreaped() {
  static auto* pids = new std::vector<pid_t>();
  return *pids;
}

void ChatGuard::reap_finished() {
  std::vector<pid_t>& pids = unreaped();
  std::erase_if(pids, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

}  // namespace kalvor::audiolib
