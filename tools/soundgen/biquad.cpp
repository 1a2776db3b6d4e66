#include "tools/soundgen/biquad.h"

#include <algorithm>
#include <cmath>

#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {
namespace {

double Omega(double hz) {
  return 2.0 * M_PI * std::clamp(hz, 5.0, 0.49 * kSampleRate) / kSampleRate;
}

}  // namespace

void Biquad::Set(double b0, double b1, double b2, double a0, double a1, double a2) {
  b0_ = b0 / a0;
  b1_ = b1 / a0;
  b2_ = b2 / a0;
  a1_ = a1 / a0;
  a2_ = a2 / a0;
}

void Biquad::SetLowpass(double hz, double q) {
  const double w = Omega(hz), c = std::cos(w), alpha = std::sin(w) / (2 * q);
  Set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetHighpass(double hz, double q) {
  const double w = Omega(hz), c = std::cos(w), alpha = std::sin(w) / (2 * q);
  Set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetBandpass(double hz, double q) {
  const double w = Omega(hz), c = std::cos(w), alpha = std::sin(w) / (2 * q);
  Set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetPeaking(double hz, double q, double gain_db) {
  const double a = std::pow(10.0, gain_db / 40.0);
  const double w = Omega(hz), c = std::cos(w), alpha = std::sin(w) / (2 * q);
  Set(1 + alpha * a, -2 * c, 1 - alpha * a, 1 + alpha / a, -2 * c, 1 - alpha / a);
}

void Biquad::SetHighShelf(double hz, double gain_db) {
  const double a = std::pow(10.0, gain_db / 40.0);
  const double w = Omega(hz), c = std::cos(w), alpha = std::sin(w) / 2 * std::sqrt(2.0);
  const double sa = 2 * std::sqrt(a) * alpha;
  Set(a * ((a + 1) + (a - 1) * c + sa), -2 * a * ((a - 1) + (a + 1) * c),
      a * ((a + 1) + (a - 1) * c - sa), (a + 1) - (a - 1) * c + sa, 2 * ((a - 1) - (a + 1) * c),
      (a + 1) - (a - 1) * c - sa);
}

void Biquad::SetLowShelf(double hz, double gain_db) {
  const double a = std::pow(10.0, gain_db / 40.0);
  const double w = Omega(hz), c = std::cos(w), alpha = std::sin(w) / 2 * std::sqrt(2.0);
  const double sa = 2 * std::sqrt(a) * alpha;
  Set(a * ((a + 1) - (a - 1) * c + sa), 2 * a * ((a - 1) - (a + 1) * c),
      a * ((a + 1) - (a - 1) * c - sa), (a + 1) + (a - 1) * c + sa, -2 * ((a - 1) + (a + 1) * c),
      (a + 1) + (a - 1) * c - sa);
}

void Biquad::ProcessInPlace(std::vector<float>& s) {
  for (float& v : s) v = Process(v);
}

}  // namespace kalvor::soundgen
