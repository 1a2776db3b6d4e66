#include "tests/audiolib/chat_recording.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace kalvor::test {

bool ChatRecording::Start(const std::string& source) {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  const std::string rate = "--rate=" + std::to_string(rate_);
  pid_ = fork();
  if (pid_ == 0) {
    const int out = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(126);
    execlp("parec", "parec", "-d", source.c_str(), "--raw", "--format=float32le", "--channels=2",
           rate.c_str(), "--latency-msec=10", static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid_ > 0;
}

double ChatRecording::Seconds() const {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path_, error);
  return error ? 0.0 : static_cast<double>(bytes) / (8.0 * rate_);
}

void ChatRecording::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGINT);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  std::ifstream file(path_, std::ios::binary);
  float frame[2];
  while (file.read(reinterpret_cast<char*>(frame), sizeof frame)) samples_.push_back(frame[0]);
}

std::size_t ChatRecording::Blocks() const {
  return samples_.size() / static_cast<std::size_t>(rate_ * kBlockSeconds);
}

double ChatRecording::Level(double frequency, std::size_t block) const {
  // Goertzel over a Hann-windowed block: a loud tone a few hundred hertz away does not leak in.
  const auto size = static_cast<std::size_t>(rate_ * kBlockSeconds);
  const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / rate_);
  double s1 = 0.0;
  double s2 = 0.0;
  for (std::size_t i = 0; i < size && block * size + i < samples_.size(); ++i) {
    const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / size);
    const double s0 = window * samples_[block * size + i] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  return 4.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(size);
}

std::vector<std::size_t> ChatRecording::BlocksWith(double frequency, double threshold) const {
  std::vector<std::size_t> found;
  for (std::size_t b = 0; b < Blocks(); ++b) {
    if (Level(frequency, b) > threshold) found.push_back(b);
  }
  return found;
}

float ChatRecording::Peak() const {
  float peak = 0.0f;
  for (const float sample : samples_) peak = std::max(peak, std::fabs(sample));
  return peak;
}

}  // namespace kalvor::test
