#include "tools/soundgen/signal.h"

#include <algorithm>
#include <cmath>

#include "tools/soundgen/biquad.h"

namespace kalvor::soundgen {

std::size_t ToSamples(double seconds) {
  return seconds <= 0 ? 0 : static_cast<std::size_t>(std::lround(seconds * kSampleRate));
}

double Seconds(const Signal& s) {
  return static_cast<double>(s.size()) / kSampleRate;
}

Signal Silence(double seconds) {
  return Signal(ToSamples(seconds), 0.0f);
}

Signal Render(double seconds, const std::function<float(double)>& fn) {
  Signal out(ToSamples(seconds));
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = fn(static_cast<double>(i) * kDt);
  return out;
}

void MixInto(Signal& dst, const Signal& src, double at_seconds, float gain) {
  const std::size_t at = ToSamples(at_seconds);
  if (dst.size() < at + src.size()) dst.resize(at + src.size(), 0.0f);
  for (std::size_t i = 0; i < src.size(); ++i) dst[at + i] += gain * src[i];
}

void Append(Signal& dst, const Signal& src, double gap_seconds) {
  MixInto(dst, src, Seconds(dst) + gap_seconds);
}

void Scale(Signal& s, float gain) {
  for (float& v : s) v *= gain;
}

void FadeIn(Signal& s, double seconds) {
  const std::size_t n = std::min(s.size(), ToSamples(seconds));
  for (std::size_t i = 0; i < n; ++i) s[i] *= static_cast<float>(i) / static_cast<float>(n);
}

void FadeOut(Signal& s, double seconds) {
  const std::size_t n = std::min(s.size(), ToSamples(seconds));
  for (std::size_t i = 0; i < n; ++i) {
    s[s.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
  }
}

void Trim(Signal& s, double seconds) {
  if (s.size() > ToSamples(seconds)) s.resize(ToSamples(seconds));
}

void TrimStart(Signal& s, float level) {
  const auto first =
      std::find_if(s.begin(), s.end(), [level](float v) { return std::fabs(v) >= level; });
  if (first != s.end()) s.erase(s.begin(), first);
}

void PadTo(Signal& s, double seconds) {
  if (s.size() < ToSamples(seconds)) s.resize(ToSamples(seconds), 0.0f);
}

double EnvelopeAt(const std::vector<std::pair<double, double>>& p, double t) {
  if (p.empty()) return 1.0;
  if (t <= p.front().first) return p.front().second;
  for (std::size_t k = 1; k < p.size(); ++k) {
    if (t < p[k].first) {
      const double span = p[k].first - p[k - 1].first;
      const double a = span > 0 ? (t - p[k - 1].first) / span : 1.0;
      return p[k - 1].second + a * (p[k].second - p[k - 1].second);
    }
  }
  return p.back().second;
}

void ApplyEnvelope(Signal& s, const std::vector<std::pair<double, double>>& points) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    s[i] *= static_cast<float>(EnvelopeAt(points, static_cast<double>(i) * kDt));
  }
}

void ApplyEnvelope(Signal& s, std::initializer_list<std::pair<double, double>> points) {
  ApplyEnvelope(s, std::vector<std::pair<double, double>>(points));
}

namespace {

float Cubic(const Signal& s, double pos) {
  const long i = static_cast<long>(std::floor(pos));
  const double f = pos - static_cast<double>(i);
  auto at = [&](long k) -> double {
    return (k < 0 || k >= static_cast<long>(s.size())) ? 0.0 : s[static_cast<std::size_t>(k)];
  };
  const double y0 = at(i - 1), y1 = at(i), y2 = at(i + 1), y3 = at(i + 2);
  const double c1 = 0.5 * (y2 - y0);
  const double c2 = y0 - 2.5 * y1 + 2.0 * y2 - 0.5 * y3;
  const double c3 = 0.5 * (y3 - y0) + 1.5 * (y1 - y2);
  return static_cast<float>(((c3 * f + c2) * f + c1) * f + y1);
}

Signal BandLimitFor(const Signal& s, double max_speed) {
  if (max_speed <= 1.05) return s;
  Signal copy = s;
  const double cutoff = std::min(0.45 * kSampleRate / max_speed, 0.45 * kSampleRate);
  Biquad a, b;
  a.SetLowpass(cutoff, 0.54);
  b.SetLowpass(cutoff, 1.31);
  a.ProcessInPlace(copy);
  b.ProcessInPlace(copy);
  return copy;
}

}  // namespace

Signal ChangeSpeed(const Signal& s, double speed) {
  return VarySpeed(s, [speed](double) { return speed; });
}

Signal VarySpeed(const Signal& s, const std::function<double(double)>& speed_at) {
  // Estimate the fastest speed used to choose the anti-alias filter.
  double max_speed = 0.0;
  for (double t = 0; t < Seconds(s) * 4 + 0.01; t += 0.05)
    max_speed = std::max(max_speed, speed_at(t));
  const Signal src = BandLimitFor(s, max_speed);
  Signal out;
  out.reserve(s.size());
  double pos = 0.0;
  std::size_t i = 0;
  while (pos < static_cast<double>(src.size())) {
    out.push_back(Cubic(src, pos));
    pos += std::max(0.01, speed_at(static_cast<double>(i) * kDt));
    ++i;
  }
  return out;
}

void Saturate(Signal& s, float drive) {
  const float norm = 1.0f / std::tanh(drive);
  for (float& v : s) v = std::tanh(drive * v) * norm;
}

Signal Echo(const Signal& s, double delay_seconds, float feedback, int repeats, float lowpass_hz) {
  Signal out = s;
  Signal tap = s;
  Biquad lp;
  for (int r = 1; r <= repeats; ++r) {
    lp.Reset();
    lp.SetLowpass(lowpass_hz, 0.707);
    lp.ProcessInPlace(tap);
    MixInto(out, tap, delay_seconds * r, static_cast<float>(std::pow(feedback, r)));
  }
  return out;
}

void ScaleToActiveRms(Signal& s, double rms) {
  double sum = 0;
  std::size_t n = 0;
  for (float v : s) {
    if (std::fabs(v) > 1e-4f) {
      sum += static_cast<double>(v) * v;
      ++n;
    }
  }
  if (n == 0 || sum <= 0) return;
  Scale(s, static_cast<float>(rms / std::sqrt(sum / static_cast<double>(n))));
}

float Peak(const Signal& s) {
  float p = 0.0f;
  for (float v : s) p = std::max(p, std::fabs(v));
  return p;
}

double Rms(const Signal& s) {
  if (s.empty()) return 0.0;
  double sum = 0.0;
  for (float v : s) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(s.size()));
}

double DbToGain(double db) {
  return std::pow(10.0, db / 20.0);
}

double GainToDb(double gain) {
  return 20.0 * std::log10(std::max(gain, 1e-12));
}

double MidiToHz(double midi) {
  return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

}  // namespace kalvor::soundgen
