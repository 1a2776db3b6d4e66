#include "chat_mixer.h"

#include <algorithm>

namespace kalvor::audiolib {

ChatMixer::ChatMixer(int rate)
    : voice_(rate, kVoiceStartSeconds, kVoiceReserveSeconds),
      monitor_(rate, kMonitorStartSeconds, kMonitorReserveSeconds),
      limiter_(rate) {}

void ChatMixer::push_voice(const float* frames, int count) {
  voice_.push(frames, count);
}

void ChatMixer::render(const float* effects, float* out, int count) {
  if (effects != nullptr) {
    for (int i = 0; i < 2 * count; ++i) out[i] = std::clamp(effects[i], -1.0f, 1.0f);
    monitor_.push(out, count);
    // The limiter, not the clamp, shapes what the chat hears.
    std::copy(effects, effects + 2 * count, out);
  } else {
    std::fill(out, out + 2 * count, 0.0f);
  }
  voice_.pull_add(out, count);
  limiter_.process(out, count);
}

}  // namespace kalvor::audiolib
