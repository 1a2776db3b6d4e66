// Waiting for a condition in a test that runs Qt: events are handled while it waits, so timers,
// socket notifiers and deferred deletions go on.
#pragma once

#include <QCoreApplication>
#include <chrono>
#include <functional>

#include "tests/support/wait_until.h"

namespace kalvor::test {

// Handles events until the condition holds; false once the timeout has passed.
inline bool ProcessEventsUntil(const std::function<bool()>& condition,
                               std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  return WaitUntil(condition, timeout,
                   [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
}

}  // namespace kalvor::test
