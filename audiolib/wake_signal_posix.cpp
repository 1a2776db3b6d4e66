#include <semaphore>

#include "wake_signal.h"

namespace kalvor::audiolib {

struct WakeSignal::State {
  std::binary_semaphore semaphore{0};
};

WakeSignal::WakeSignal() : state_(std::make_unique<State>()) {}

WakeSignal::~WakeSignal() = default;

void WakeSignal::give() {
  state_->semaphore.release();
}

void WakeSignal::wait() {
  state_->semaphore.acquire();
}

}  // namespace kalvor::audiolib
