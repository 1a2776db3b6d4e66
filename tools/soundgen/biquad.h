#pragma once

#include <vector>

namespace kalvor::soundgen {

// Second-order filter with the usual audio-cookbook shapes. Setting a new shape
// keeps the filter's memory, so a sweep can retune it every few samples.
class Biquad {
 public:
  void SetLowpass(double hz, double q);
  void SetHighpass(double hz, double q);
  // Band-pass with 0 dB at the centre.
  void SetBandpass(double hz, double q);
  void SetPeaking(double hz, double q, double gain_db);
  void SetHighShelf(double hz, double gain_db);
  void SetLowShelf(double hz, double gain_db);

  float Process(float x) {
    const double y = b0_ * x + z1_;
    z1_ = b1_ * x - a1_ * y + z2_;
    z2_ = b2_ * x - a2_ * y;
    return static_cast<float>(y);
  }
  void ProcessInPlace(std::vector<float>& s);
  void Reset() { z1_ = z2_ = 0.0; }

 private:
  void Set(double b0, double b1, double b2, double a0, double a1, double a2);

  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double z1_ = 0, z2_ = 0;
};

}  // namespace kalvor::soundgen
