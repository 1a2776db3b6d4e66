// A wake-up that one thread waits for and any thread gives without taking a lock, so the audio
// callback may give it. Given while nobody waits, it is kept for the next wait; given twice, it
// still wakes once. One implementation per platform: a semaphore on Linux, an event on Windows
// (libstdc++'s semaphore of mingw-w64 can lose a wake-up and leave the waiter asleep).
#pragma once

#include <memory>

namespace kalvor::audiolib {

class WakeSignal {
 public:
  WakeSignal();
  ~WakeSignal();
  WakeSignal(const WakeSignal&) = delete;
  WakeSignal& operator=(const WakeSignal&) = delete;

  void give();
  void wait();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kalvor::audiolib
