#include "tools/soundgen/oscillator.h"

#include <cmath>

#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {
namespace {

double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double Oscillator::Advance(double hz) {
  const double p = phase_;
  phase_ += hz * kDt;
  phase_ -= std::floor(phase_);
  return p;
}

float Oscillator::Sine(double hz) {
  return static_cast<float>(std::sin(2.0 * M_PI * Advance(hz)));
}

float Oscillator::Saw(double hz) {
  const double dt = std::fabs(hz) * kDt;
  const double p = Advance(hz);
  return static_cast<float>(2.0 * p - 1.0 - PolyBlep(p, dt));
}

float Oscillator::Square(double hz, double duty) {
  const double dt = std::fabs(hz) * kDt;
  const double p = Advance(hz);
  double v = p < duty ? 1.0 : -1.0;
  v += PolyBlep(p, dt);
  double q = p + 1.0 - duty;
  q -= std::floor(q);
  v -= PolyBlep(q, dt);
  return static_cast<float>(v);
}

float Oscillator::Triangle(double hz) {
  // Leaky integration of the band-limited square.
  const float sq = Square(hz);
  tri_state_ = tri_state_ * 0.9995 + 4.0 * hz * kDt * sq;
  return static_cast<float>(tri_state_);
}

}  // namespace kalvor::soundgen
