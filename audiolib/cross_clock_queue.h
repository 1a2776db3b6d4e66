// Carries stereo audio from one clock to another: frames arrive in the chunks one side delivers
// (a microphone, or the mix for the virtual microphone) and leave in the chunks the other side
// asks for (a playback stream on another device). Both sides run on one thread.
//
// The queue first fills to a starting level, then hands frames out. When it runs dry the rest of
// that request is silence and it fills up to the starting level again, a little higher each time
// (coming back down after a long quiet spell), so a jittery source soon stops running it dry.
// Two clocks never run at exactly the same speed: when the lowest level left after a request
// over half a second is well above the reserve, the delivering side is ahead, and the queue reads
// a little faster (by kTrim, interpolating between frames, which is inaudible) until the excess
// is gone; a large excess (the receiving side stalled) is dropped at once.
#pragma once

#include <vector>

namespace kalvor::audiolib {

class CrossClockQueue {
 public:
  static constexpr double kTrim = 0.01;
  // Each time it runs dry the starting level grows by a step, up to a limit, and after this long
  // without running dry it comes down by a step.
  static constexpr double kStartStepSeconds = 0.001;
  static constexpr double kMaxStartSeconds = 0.015;
  static constexpr double kCalmSeconds = 10.0;
  // More excess than this is dropped at once rather than trimmed away.
  static constexpr double kJumpSeconds = 0.008;

  CrossClockQueue(int rate, double start_seconds, double reserve_seconds);

  // Appends count frames; null appends silence. When the queue is full the oldest frames go.
  void push(const float* frames, int count);
  // Writes count frames to out, silence where there are none.
  void pull(float* out, int count) { take(out, count, false); }
  // Adds count frames to out.
  void pull_add(float* out, int count) { take(out, count, true); }
  void clear();

  int queued() const { return size_; }
  // Frames a request may take now without running dry (0 while filling to the starting level).
  int ready() const { return started_ || size_ >= start_ ? size_ : 0; }

 private:
  void take(float* out, int count, bool add);
  void pop();

  const int capacity_;
  const int base_start_;
  const int reserve_;
  const int step_frames_;
  const int max_start_;
  const int jump_;
  const int window_;
  const int calm_;
  std::vector<float> ring_;
  int start_;
  int head_ = 0;
  int size_ = 0;
  bool started_ = false;
  double position_ = 0.0;  // between the first frame and the next
  int lowest_;
  int pulled_ = 0;
  int since_dry_ = 0;     // frames handed out since the queue last ran dry
  double step_ = 1.0;     // frames read per frame written
  double to_trim_ = 0.0;  // frames still to be shed
};

}  // namespace kalvor::audiolib
