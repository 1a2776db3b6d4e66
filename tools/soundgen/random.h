#pragma once

#include <cstdint>
#include <string_view>

namespace kalvor::soundgen {

// A small deterministic generator (splitmix64 seeding, xoshiro256** stepping) so
// every effect renders to the same samples on every run and every machine.
class Random {
 public:
  explicit Random(std::uint64_t seed);
  // Seeds from a text, e.g. the sound's name, so each sound has its own stream.
  static Random FromName(std::string_view name);

  std::uint64_t Next();
  double Uniform();                    // [0, 1)
  double Range(double lo, double hi);  // [lo, hi)
  double Bipolar() { return Range(-1.0, 1.0); }
  double Gauss();  // mean 0, deviation 1
  int Int(int n);  // [0, n)
  bool Chance(double p) { return Uniform() < p; }

 private:
  std::uint64_t s_[4];
};

}  // namespace kalvor::soundgen
