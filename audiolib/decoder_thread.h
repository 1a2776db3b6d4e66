// The library's one background thread. It sleeps until woken, then runs its work function (which
// refills the streams' rings and parks or resumes the device); when stopped it runs its finish
// function last. wake() takes no lock, so the audio callback may call it, also after stop().
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "wake_signal.h"

namespace kalvor::audiolib {

class DecoderThread {
 public:
  DecoderThread(std::function<void()> work, std::function<void()> finish);
  ~DecoderThread();
  DecoderThread(const DecoderThread&) = delete;
  DecoderThread& operator=(const DecoderThread&) = delete;

  void wake();
  // Lets a work run in progress end, runs finish on the thread and joins it.
  void stop();

 private:
  void run();

  std::function<void()> work_;
  std::function<void()> finish_;
  WakeSignal signal_;
  // True from a wake() until the thread has taken the signal, which is then given only once.
  std::atomic<bool> pending_{false};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace kalvor::audiolib
