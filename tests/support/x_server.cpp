#include "tests/support/x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

namespace kalvor::test {

XServer::~XServer() {
  Stop();
}

bool XServer::Installed(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

bool XServer::Start() {
  // Xvfb picks a free display number and writes it to the pipe once it accepts connections.
  int fds[2];
  if (::pipe(fds) != 0) {
    error_ = "pipe failed";
    return false;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    error_ = "fork failed";
    return false;
  }
  if (pid == 0) {
    ::close(fds[0]);
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      ::dup2(devNull, STDOUT_FILENO);
      ::dup2(devNull, STDERR_FILENO);
    }
    const std::string fd = std::to_string(fds[1]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", "-noreset", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  pid_ = pid;
  ::close(fds[1]);

  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buffer[16];
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;  // Xvfb died
    number.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  if (number.find('\n') == std::string::npos) {
    error_ = "Xvfb did not report a display";
    Stop();
    return false;
  }
  display_ = ":" + number.substr(0, number.find('\n'));

  xcb_connection_t* probe = xcb_connect(display_.c_str(), nullptr);
  const bool ready = xcb_connection_has_error(probe) == 0;
  xcb_disconnect(probe);
  if (!ready) {
    error_ = "Xvfb does not accept connections on " + display_;
    Stop();
  }
  return ready;
}

namespace {

void EndProcess(pid_t& pid) {
  if (pid > 0) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  pid = -1;
}

// True once a window manager announces itself on the root window (EWMH).
bool WindowManagerRuns(const std::string& display) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  bool runs = false;
  if (xcb_connection_has_error(c) == 0) {
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
    if (atom != nullptr && atom->atom != XCB_ATOM_NONE) {
      const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
      xcb_get_property_reply_t* value = xcb_get_property_reply(
          c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
      runs = value != nullptr && xcb_get_property_value_length(value) > 0;
      std::free(value);
    }
    std::free(atom);
  }
  xcb_disconnect(c);
  return runs;
}

}  // namespace

void XServer::Stop() {
  EndProcess(windowManager_);
  EndProcess(pid_);
  display_.clear();
}

bool XServer::StartWindowManager() {
  if (windowManager_ > 0) return true;
  const pid_t pid = ::fork();
  if (pid < 0) {
    error_ = "fork failed";
    return false;
  }
  if (pid == 0) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      ::dup2(devNull, STDOUT_FILENO);
      ::dup2(devNull, STDERR_FILENO);
    }
    ::setenv("DISPLAY", display_.c_str(), 1);
    ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  windowManager_ = pid;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!WindowManagerRuns(display_)) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid || std::chrono::steady_clock::now() > deadline) {
      windowManager_ = -1;
      ::kill(pid, SIGTERM);
      ::waitpid(pid, &status, 0);
      error_ = "openbox did not start on " + display_;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

namespace {

struct SharedServer {
  std::unique_ptr<XServer> server;
  std::string problem;
  bool missing = false;
  bool tried = false;
  bool desktopTried = false;
  bool desktop = false;  // the window manager runs on the server
};

SharedServer& SharedState() {
  static SharedServer shared;
  if (!shared.tried) {
    shared.tried = true;
    if (!XServer::Installed("Xvfb") || !XServer::Installed("xdotool")) {
      shared.missing = true;
      shared.problem = "Xvfb or xdotool is not installed (scripts/install-deps.sh installs them)";
    } else if (auto server = std::make_unique<XServer>(); !server->Start()) {
      shared.problem = "Xvfb is installed but did not start: " + server->Error();
    } else {
      ::setenv("DISPLAY", server->Display().c_str(), 1);
      shared.server = std::move(server);
    }
  }
  return shared;
}

}  // namespace

XServer* XServer::Shared() {
  return SharedState().server.get();
}

const std::string& XServer::SharedProblem() {
  return SharedState().problem;
}

bool XServer::SharedMissing() {
  return SharedState().missing;
}

XServer* XServer::SharedDesktop() {
  SharedServer& shared = SharedState();
  if (!shared.desktopTried && shared.server) {
    shared.desktopTried = true;
    if (!Installed("openbox")) {
      shared.missing = true;
      shared.problem = "openbox is not installed (scripts/install-deps.sh installs it)";
    } else if (!shared.server->StartWindowManager()) {
      shared.problem = shared.server->Error();
    } else {
      shared.desktop = true;
    }
  }
  return shared.desktop ? shared.server.get() : nullptr;
}

bool XServer::Xdotool(const std::string& arguments) const {
  const std::string command = "DISPLAY=" + display_ + " xdotool " + arguments;
  return std::system(command.c_str()) == 0;
}

}  // namespace kalvor::test
