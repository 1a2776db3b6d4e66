#include "tests/faults/fifo_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tests/support/wait_until.h"

namespace kalvor::test {

FifoOutput::FifoOutput()
    : path_((std::filesystem::temp_directory_path() /
             ("kalvor-faults-output-" + std::to_string(getpid())))
                .string()) {
  // A write into a pipe without a reader must fail with EPIPE, not end the process.
  signal(SIGPIPE, SIG_IGN);
  unlink(path_.c_str());
  mkfifo(path_.c_str(), 0600);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
}

FifoOutput::~FifoOutput() {
  Unplug();
  unlink(path_.c_str());
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  unsetenv("SDL_DISKAUDIOFILE");
}

void FifoOutput::Plug() {
  Unplug();
  fd_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  stop_ = false;
  reader_ = std::thread([this] { Drain(); });
}

void FifoOutput::Unplug() {
  if (reader_.joinable()) {
    stop_ = true;
    reader_.join();
  }
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void FifoOutput::Drain() {
  std::vector<char> buffer(1 << 16);
  std::size_t kept = 0;  // bytes of a sample split between two reads
  while (!stop_) {
    const ssize_t n = read(fd_, buffer.data() + kept, buffer.size() - kept);
    if (n <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      continue;
    }
    bytes_ += static_cast<std::uint64_t>(n);
    const std::size_t have = kept + static_cast<std::size_t>(n);
    std::size_t i = 0;
    std::uint64_t loud = 0;
    for (; i + sizeof(float) <= have; i += sizeof(float)) {
      float sample;
      std::memcpy(&sample, buffer.data() + i, sizeof sample);
      if (std::isfinite(sample) && std::fabs(sample) > 1e-3f) ++loud;
    }
    loudSamples_ += loud;
    kept = have - i;
    std::memmove(buffer.data(), buffer.data() + i, kept);
  }
}

bool FifoOutput::WaitForSound(std::chrono::milliseconds timeout) {
  const std::uint64_t before = loudSamples_.load();
  return WaitUntil([&] { return loudSamples_.load() > before + 1000; }, timeout);
}

}  // namespace kalvor::test
