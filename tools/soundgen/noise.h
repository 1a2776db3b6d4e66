#pragma once

#include "tools/soundgen/random.h"

namespace kalvor::soundgen {

// White, pink and brown noise from a seeded generator.
class Noise {
 public:
  explicit Noise(Random& rng) : rng_(rng) {}

  float White() { return static_cast<float>(rng_.Bipolar()); }
  float Pink();
  float Brown();

 private:
  Random& rng_;
  double b_[7] = {};
  double brown_ = 0.0;
};

}  // namespace kalvor::soundgen
