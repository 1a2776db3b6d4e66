#include <windows.h>

#include "wake_signal.h"

namespace kalvor::audiolib {

struct WakeSignal::State {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // resets as a wait takes it
  ~State() { CloseHandle(event); }
};

WakeSignal::WakeSignal() : state_(std::make_unique<State>()) {}

WakeSignal::~WakeSignal() = default;

void WakeSignal::give() {
  SetEvent(state_->event);
}

void WakeSignal::wait() {
  WaitForSingleObject(state_->event, INFINITE);
}

}  // namespace kalvor::audiolib
