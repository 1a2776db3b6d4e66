// A platform for tests of the hotkey service alone: it records the feedback events raised and does
// nothing else.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/null_platform.h"
#include "platform/platform_services.h"

namespace kalvor::test {

struct RaisedFeedback {
  std::int32_t receiver = 0;
  std::int32_t first = 0;
  std::int32_t second = 0;
  bool operator==(const RaisedFeedback&) const = default;
};

class FeedbackRecorderPlatform : public NullPlatform {
 public:
  std::vector<RaisedFeedback> raised;

  void RaiseFeedback(std::int32_t receiver, std::int32_t first, std::int32_t second) override {
    raised.push_back({receiver, first, second});
  }
};

}  // namespace kalvor::test
