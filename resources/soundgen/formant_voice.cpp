#include "formant_voice.h"

#include <array>
#include <cmath>

#include "biquad.h"
#include "oscillator.h"

namespace kalvor::soundgen {
namespace {

// Klatt's resonator: unity gain at 0 Hz, a peak at the formant.
class Resonator {
 public:
  void Set(double hz, double bw) {
    const double r = std::exp(-M_PI * bw * kDt);
    c_ = -r * r;
    b_ = 2.0 * r * std::cos(2.0 * M_PI * std::min(hz, 0.45 * kSampleRate) * kDt);
    a_ = 1.0 - b_ - c_;
  }
  double Process(double x) {
    const double y = a_ * x + b_ * y1_ + c_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double a_ = 1, b_ = 0, c_ = 0, y1_ = 0, y2_ = 0;
};

}  // namespace

Formants VowelFormants(char vowel) {
  switch (vowel) {
    case 'a':
      return {730, 1090, 2440, 3400};
    case 'e':
      return {530, 1840, 2480, 3500};
    case 'i':
      return {270, 2290, 3010, 3700};
    case 'o':
      return {570, 840, 2410, 3300};
    case 'u':
      return {300, 870, 2240, 3300};
    case 'y':
      return {660, 1720, 2410, 3400};
    case 'n':
      return {250, 1200, 2300, 3300};
    default:
      return {500, 1500, 2500, 3500};
  }
}

Formants Blend(const Formants& a, const Formants& b, double t) {
  return {a.f1 + (b.f1 - a.f1) * t, a.f2 + (b.f2 - a.f2) * t, a.f3 + (b.f3 - a.f3) * t,
          a.f4 + (b.f4 - a.f4) * t};
}

FormantVoice::FormantVoice(Random& rng, double jitter, double shimmer)
    : rng_(rng), jitter_(jitter), shimmer_(shimmer) {}

Signal FormantVoice::Render(double seconds, const std::function<VoiceFrame(double)>& frame_at) {
  Signal out(ToSamples(seconds));
  Oscillator glottis(rng_.Uniform());
  std::array<Resonator, 4> res;
  Biquad tilt;
  tilt.SetLowpass(2800, 0.6);
  Biquad breath_hp;
  breath_hp.SetHighpass(600, 0.7);
  double jit = 0.0, shim = 0.0;
  VoiceFrame f;
  constexpr std::size_t kBlock = 16;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i % kBlock == 0) {
      f = frame_at(static_cast<double>(i) * kDt);
      const double s = f.formant_scale;
      const double bw = f.bandwidth;
      res[0].Set(f.formants.f1 * s, 80 * bw);
      res[1].Set(f.formants.f2 * s, 100 * bw);
      res[2].Set(f.formants.f3 * s, 140 * bw);
      res[3].Set(f.formants.f4 * s, 200 * bw);
      jit = jit * 0.9 + 0.1 * rng_.Gauss();
      shim = shim * 0.8 + 0.2 * rng_.Gauss();
    }
    const double hz = f.f0 * (1.0 + jitter_ * jit);
    const double pulse = -glottis.Saw(hz) * f.voicing * (1.0 + shimmer_ * shim);
    const double src = tilt.Process(static_cast<float>(pulse)) +
                       breath_hp.Process(static_cast<float>(rng_.Bipolar() * f.breath * 2.0));
    double y = src;
    for (auto& r : res) y = r.Process(y);
    out[i] = static_cast<float>(y * 0.02);
  }
  return out;
}

}  // namespace kalvor::soundgen
