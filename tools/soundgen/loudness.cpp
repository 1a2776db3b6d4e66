#include "tools/soundgen/loudness.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "tools/soundgen/biquad.h"

namespace kalvor::soundgen {

double Loudness(const Signal& s) {
  Signal w = s;
  Biquad hp, shelf;
  hp.SetHighpass(60, 0.5);
  shelf.SetHighShelf(1500, 4.0);
  hp.ProcessInPlace(w);
  shelf.ProcessInPlace(w);
  // 400 ms blocks with 75 % overlap, gated at -70 dB and 10 dB under the mean.
  const std::size_t block = ToSamples(0.4), hop = block / 4;
  std::vector<double> energies;
  for (std::size_t start = 0; start + block <= w.size() || energies.empty(); start += hop) {
    const std::size_t end = std::min(w.size(), start + block);
    double sum = 0;
    for (std::size_t i = start; i < end; ++i) sum += static_cast<double>(w[i]) * w[i];
    energies.push_back(end > start ? sum / static_cast<double>(end - start) : 0.0);
    if (end == w.size()) break;
  }
  auto mean_above = [&](double gate) {
    double sum = 0;
    int n = 0;
    for (double e : energies) {
      if (e > gate) {
        sum += e;
        ++n;
      }
    }
    return n ? sum / n : 0.0;
  };
  const double absolute = mean_above(1e-7);
  if (absolute <= 0) return -120.0;
  const double relative = mean_above(absolute * 0.1);
  return 10.0 * std::log10(std::max(relative, 1e-12));
}

void Normalise(Signal& s, double target_db, double ceiling_db, double max_reduction_db) {
  if (s.empty()) return;
  const double ceiling = DbToGain(ceiling_db);
  double gain = DbToGain(target_db - Loudness(s));
  const double peak = Peak(s);
  // Limit how hard the limiter must work: past max_reduction_db, lower the gain.
  if (peak * gain > ceiling * DbToGain(max_reduction_db)) {
    gain = ceiling * DbToGain(max_reduction_db) / peak;
  }
  Scale(s, static_cast<float>(gain));

  // Needed gain per sample, then a minimum over +-L and a box average over +-L, so the
  // smoothed gain never exceeds what any nearby peak needs, then a slow release.
  const std::size_t n = s.size();
  const std::size_t look = ToSamples(0.003);
  std::vector<double> need(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = std::fabs(s[i]);
    need[i] = a > ceiling ? ceiling / a : 1.0;
  }
  std::vector<double> held(n);
  std::deque<std::size_t> window;  // indices with increasing need values
  for (std::size_t i = 0; i < n + look; ++i) {
    if (i < n) {
      while (!window.empty() && need[window.back()] >= need[i]) window.pop_back();
      window.push_back(i);
    }
    if (i >= look) {
      const std::size_t centre = i - look;
      while (window.front() + 2 * look < i) window.pop_front();
      held[centre] = need[window.front()];
    }
  }
  std::vector<double> smooth(n);
  double sum = 0;
  const std::size_t width = 2 * look + 1;
  for (std::size_t i = 0; i < n + look; ++i) {
    sum += i < n ? held[i] : 1.0;
    if (i >= width) sum -= held[i - width];
    if (i >= look) {
      const std::size_t centre = i - look;
      const std::size_t count = std::min(width, i + 1);
      smooth[centre] = (sum + static_cast<double>(width - count)) / static_cast<double>(width);
    }
  }
  const double release = 1.0 - std::exp(-1.0 / (0.08 * kSampleRate));
  double g = 1.0;
  for (std::size_t i = 0; i < n; ++i) {
    g = std::min(smooth[i], g + (1.0 - g) * release);
    s[i] = static_cast<float>(s[i] * g);
  }
  // Numerical safety: the smoothing above keeps g at or under need, but clamp anyway.
  for (float& v : s) v = std::clamp(v, static_cast<float>(-ceiling), static_cast<float>(ceiling));
}

}  // namespace kalvor::soundgen
