// What the virtual microphone carries, worked out apart from any sound server: the effects the
// board plays plus the host's own microphone, through a peak limiter so that the sum never clips;
// and, for the host's speakers, the effects alone.
//
// Three sides, all called on one thread: the microphone delivers frames (push_voice), the
// virtual microphone's stream asks for its mix (render), the speakers' stream asks for the
// effects (pull_monitor). Each side runs on its own device's clock; the queues in between absorb
// the difference.
#pragma once

#include "cross_clock_queue.h"
#include "peak_limiter.h"

namespace kalvor::audiolib {

class ChatMixer {
 public:
  // The microphone arrives in chunks of a few milliseconds, and the mix waits for the next
  // chunk when it asks too early (see voice_ready()): little needs to be kept in hand.
  static constexpr double kVoiceStartSeconds = 0.001;
  static constexpr double kVoiceReserveSeconds = 0.001;
  static constexpr double kMonitorStartSeconds = 0.004;
  static constexpr double kMonitorReserveSeconds = 0.002;

  explicit ChatMixer(int rate);

  void push_voice(const float* frames, int count);
  // Voice frames the next render() can take.
  int voice_ready() const { return voice_.ready(); }
  // Forgets queued voice (the microphone stopped or starts over).
  void clear_voice() { voice_.clear(); }

  // Writes count stereo frames of the mix to out: effects (count frames, or null when none play)
  // plus the queued voice, limited.
  void render(const float* effects, float* out, int count);

  // The effects for the speakers, as render() received them, clamped to full scale.
  void pull_monitor(float* out, int count) { monitor_.pull(out, count); }
  void clear_monitor() { monitor_.clear(); }

  int limiter_delay_frames() const { return limiter_.delay_frames(); }

 private:
  CrossClockQueue voice_;
  CrossClockQueue monitor_;
  PeakLimiter limiter_;
};

}  // namespace kalvor::audiolib
