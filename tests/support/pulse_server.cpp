#include "tests/support/pulse_server.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/wait_until.h"
#include "tests/support/x_server.h"

namespace kalvor::test {

namespace {

// PipeWire first, its session manager and pulse layer once it listens.
constexpr const char* kPipeWireScript = R"(pipewire &
while [ ! -S "$XDG_RUNTIME_DIR/pipewire-0" ]; do sleep 0.02; done
wireplumber &
exec pipewire-pulse
)";

}  // namespace

bool PulseServer::Installed(Kind kind) {
  if (!XServer::Installed("pactl")) return false;
  if (kind == Kind::kPulseAudio) return XServer::Installed("pulseaudio");
  return XServer::Installed("pipewire") && XServer::Installed("wireplumber") &&
         XServer::Installed("pipewire-pulse") && XServer::Installed("dbus-run-session");
}

const char* PulseServer::Name(Kind kind) {
  return kind == Kind::kPulseAudio ? "PulseAudio" : "PipeWire";
}

PulseServer::~PulseServer() {
  if (pid_ > 0) {
    // The whole group: PipeWire's server, session manager, pulse layer and D-Bus daemon.
    kill(kind_ == Kind::kPipeWire ? -pid_ : pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  unsetenv("PULSE_SERVER");
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
}

void PulseServer::Kill() {
  if (pid_ <= 0) return;
  kill(kind_ == Kind::kPipeWire ? -pid_ : pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  // What the server leaves in its runtime folder does not stop it starting again.
  std::error_code ignored;
  std::filesystem::remove(dir_ + "/native", ignored);
  std::filesystem::remove_all(dir_ + "/pulse", ignored);
  std::filesystem::remove(dir_ + "/pipewire-0", ignored);
  std::filesystem::remove(dir_ + "/pipewire-0.lock", ignored);
}

bool PulseServer::Ready() const {
  if (kind_ == Kind::kPulseAudio) return Pactl("info");
  // The session manager sets up the defaults and links streams; wait for it too.
  std::string clients;
  return Pactl("list short clients", &clients) && clients.find("wireplumber") != std::string::npos;
}

bool PulseServer::Start() {
  if (dir_.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalvor-pulse-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      error_ = "no scratch folder";
      return false;
    }
    dir_ = pattern;
  }
  const std::string socket = kind_ == Kind::kPulseAudio ? dir_ + "/native" : dir_ + "/pulse/native";
  const std::string protocol = "module-native-protocol-unix socket=" + socket + " auth-anonymous=1";
  const std::string sink =
      "module-null-sink sink_name=kalvorfaults sink_properties=device.description=KalvorFaults";
  const std::string log = dir_ + (kind_ == Kind::kPulseAudio ? "/pulseaudio.log" : "/pipewire.log");
  const std::string script = dir_ + "/start-pipewire.sh";
  if (kind_ == Kind::kPipeWire) std::ofstream(script) << kPipeWireScript;
  std::fflush(nullptr);  // or the child writes what is buffered a second time
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("HOME", dir_.c_str(), 1);
    if (std::freopen(log.c_str(), "a", stdout) == nullptr ||
        std::freopen(log.c_str(), "a", stderr) == nullptr) {
      _exit(126);
    }
    if (kind_ == Kind::kPipeWire) {
      execlp("dbus-run-session", "dbus-run-session", "--", "sh", script.c_str(),
             static_cast<char*>(nullptr));
    } else {
      execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
             "--use-pid-file=no", "--disallow-exit", "-L", protocol.c_str(), "-L", sink.c_str(),
             static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  bool ended = false;
  const auto answers = [&] {
    ended = waitpid(pid_, nullptr, WNOHANG) == pid_;
    return ended || Ready();
  };
  const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); };
  if (!WaitUntil(answers, std::chrono::seconds(30), pause) || ended) {
    error_ = std::string(Name(kind_)) + " did not start (see " + log + ")";
    return false;
  }
  if (kind_ == Kind::kPipeWire) {
    firstSink_ = LoadNullSink("kalvorfaults");
    if (firstSink_ < 0) error_ = "no null sink";
    return firstSink_ >= 0;
  }
  std::string modules;
  Pactl("list short modules", &modules);
  const std::size_t at = modules.find("module-null-sink");
  if (at == std::string::npos) {
    error_ = "no null sink";
    return false;
  }
  const std::size_t line = modules.rfind('\n', at);
  firstSink_ = std::atoi(modules.c_str() + (line == std::string::npos ? 0 : line + 1));
  return true;
}

bool PulseServer::Pactl(const std::string& arguments, std::string* output) const {
  FILE* pipe = popen(("pactl " + arguments + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return false;
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int PulseServer::LoadNullSink(const std::string& name) {
  std::string id;
  if (!Pactl("load-module module-null-sink sink_name=" + name +
                 " sink_properties=device.description=" + name,
             &id)) {
    return -1;
  }
  return std::atoi(id.c_str());
}

bool PulseServer::Unload(int module) const {
  return Pactl("unload-module " + std::to_string(module));
}

}  // namespace kalvor::test
