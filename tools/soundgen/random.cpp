#include "tools/soundgen/random.h"

#include <cmath>

namespace kalvor::soundgen {
namespace {

std::uint64_t SplitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

}  // namespace

Random::Random(std::uint64_t seed) {
  for (auto& s : s_) s = SplitMix(seed);
}

Random Random::FromName(std::string_view name) {
  std::uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
  for (unsigned char c : name) {
    h ^= c;
    h *= 0x100000001B3ull;
  }
  return Random(h);
}

std::uint64_t Random::Next() {
  const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 45);
  return result;
}

double Random::Uniform() {
  return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

double Random::Range(double lo, double hi) {
  return lo + (hi - lo) * Uniform();
}

double Random::Gauss() {
  // Box-Muller; the second value is dropped to keep the stream simple.
  double u1 = Uniform();
  if (u1 < 1e-300) u1 = 1e-300;
  const double u2 = Uniform();
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

int Random::Int(int n) {
  return n <= 0 ? 0 : static_cast<int>(Uniform() * n);
}

}  // namespace kalvor::soundgen
