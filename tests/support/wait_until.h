// Waiting for a condition rather than for a fixed time. The suite runs two tests at a time and
// again under the sanitizers: a fixed sleep is too short on a busy machine and wasted on an idle
// one, and a test that only sleeps can pass without the awaited thing ever happening.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kalvor::test {

// Polls the condition until it holds or the timeout has passed; between two polls runs `between`
// (a 5 ms sleep when empty). True when the condition held.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                      const std::function<void()>& between = {}) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    if (between) {
      between();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return true;
}

}  // namespace kalvor::test
