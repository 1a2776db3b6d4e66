#include "tools/soundgen/reverb.h"

#include <array>
#include <vector>

namespace kalvor::soundgen {
namespace {

constexpr std::array<int, 8> kCombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllpassLengths = {556, 441, 341, 225};

}  // namespace

Reverb::Reverb(double room, double damping)
    : feedback_(0.7 + 0.28 * room), damping_(0.05 + 0.5 * damping) {}

Signal Reverb::Process(const Signal& in, float dry, float wet, double tail_seconds,
                       double predelay_seconds) {
  const std::size_t pre = ToSamples(predelay_seconds);
  const std::size_t total = in.size() + ToSamples(tail_seconds);
  std::vector<std::vector<float>> combs, allpasses;
  for (int len : kCombLengths) combs.emplace_back(static_cast<std::size_t>(len), 0.0f);
  for (int len : kAllpassLengths) allpasses.emplace_back(static_cast<std::size_t>(len), 0.0f);
  std::array<std::size_t, 8> ci{};
  std::array<std::size_t, 4> ai{};
  std::array<double, 8> store{};
  Signal out(total, 0.0f);
  for (std::size_t n = 0; n < total; ++n) {
    const double x = (n >= pre && n - pre < in.size()) ? in[n - pre] * 0.015 : 0.0;
    double sum = 0.0;
    for (std::size_t c = 0; c < combs.size(); ++c) {
      float& cell = combs[c][ci[c]];
      const double y = cell;
      store[c] = y * (1.0 - damping_) + store[c] * damping_;
      cell = static_cast<float>(x + store[c] * feedback_);
      if (++ci[c] == combs[c].size()) ci[c] = 0;
      sum += y;
    }
    for (std::size_t a = 0; a < allpasses.size(); ++a) {
      float& cell = allpasses[a][ai[a]];
      const double buffered = cell;
      const double y = -sum + buffered;
      cell = static_cast<float>(sum + buffered * 0.5);
      if (++ai[a] == allpasses[a].size()) ai[a] = 0;
      sum = y;
    }
    const double d = n < in.size() ? in[n] : 0.0;
    out[n] = static_cast<float>(dry * d + wet * sum);
  }
  return out;
}

}  // namespace kalvor::soundgen
