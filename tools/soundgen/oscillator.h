#pragma once

namespace kalvor::soundgen {

// A phase accumulator with band-limited (polyBLEP) saw and square shapes. The
// frequency is given per sample, so sweeps and vibrato need no extra state.
class Oscillator {
 public:
  explicit Oscillator(double phase = 0.0) : phase_(phase) {}

  float Sine(double hz);
  float Saw(double hz);
  float Square(double hz, double duty = 0.5);
  float Triangle(double hz);
  double phase() const { return phase_; }

 private:
  double Advance(double hz);

  double phase_;
  double tri_state_ = 0.0;
};

}  // namespace kalvor::soundgen
