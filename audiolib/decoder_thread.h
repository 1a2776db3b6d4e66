// The library's one background thread. It sleeps until woken, then runs its work function (which
// refills the streams' rings and pauses an idle device). wake() takes no lock, so the audio
// callback may call it.
#pragma once

#include <atomic>
#include <functional>
#include <semaphore>
#include <thread>

namespace kalvor::audiolib {

class DecoderThread {
 public:
  explicit DecoderThread(std::function<void()> work);
  // Stops and joins the thread; a work run in progress finishes first.
  ~DecoderThread();
  DecoderThread(const DecoderThread&) = delete;
  DecoderThread& operator=(const DecoderThread&) = delete;

  void wake();

 private:
  void run();

  std::function<void()> work_;
  std::binary_semaphore signal_{0};
  // True from a wake() until the thread has taken the signal: keeps the semaphore at most 1.
  std::atomic<bool> pending_{false};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace kalvor::audiolib
