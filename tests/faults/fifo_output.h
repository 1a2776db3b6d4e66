// An output device that can be unplugged: SDL's disk driver writing into a named pipe that this
// object reads. Closing the reading end makes the driver's next write fail, which SDL handles
// exactly as a device that disappeared (it marks the device lost and carries on without it).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace kalvor::test {

class FifoOutput {
 public:
  // Makes the pipe and points the disk driver at it; SDL must not have started its audio yet.
  FifoOutput();
  ~FifoOutput();  // unplugs, removes the pipe and gives the tests back SDL's dummy driver
  FifoOutput(const FifoOutput&) = delete;
  FifoOutput& operator=(const FifoOutput&) = delete;

  // Opens the reading end (before the device is opened: the driver waits for a reader).
  void Plug();
  void Unplug();

  // Waits until samples louder than silence arrive after this call.
  bool WaitForSound(std::chrono::milliseconds timeout);
  std::uint64_t BytesRead() const { return bytes_.load(); }

 private:
  void Drain();

  std::string path_;
  int fd_ = -1;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> bytes_{0};
  std::atomic<std::uint64_t> loudSamples_{0};
};

}  // namespace kalvor::test
