#include "tools/soundgen/formant_voice.h"

#include <array>
#include <cmath>

#include "tools/soundgen/biquad.h"
#include "tools/soundgen/oscillator.h"

namespace kalvor::soundgen {

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
  // The source (a falling saw, about -6 dB per octave like a glottal pulse seen through
  // the lips) gets a resonant peak per formant. Peaking filters keep the upper
  // spectrum that a cascade of plain resonators would roll away, so the voice stays
  // bright rather than muffled.
  Signal out(ToSamples(seconds));
  Oscillator glottis(rng_.Uniform());
  std::array<Biquad, 4> peaks;
  constexpr std::array<double, 4> kGainDb = {16, 13, 10, 8};
  constexpr std::array<double, 4> kBandwidth = {90, 110, 160, 220};
  Biquad source_hp, top_lp, breath_hp;
  source_hp.SetHighpass(120, 0.6);
  top_lp.SetLowpass(7500, 0.6);
  breath_hp.SetHighpass(500, 0.7);
  double jit = 0.0, shim = 0.0;
  VoiceFrame f;
  constexpr std::size_t kBlock = 16;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i % kBlock == 0) {
      f = frame_at(static_cast<double>(i) * kDt);
      const double formants[4] = {f.formants.f1, f.formants.f2, f.formants.f3, f.formants.f4};
      for (std::size_t k = 0; k < 4; ++k) {
        const double hz = formants[k] * f.formant_scale;
        peaks[k].SetPeaking(hz, hz / (kBandwidth[k] * f.bandwidth), kGainDb[k]);
      }
      jit = jit * 0.9 + 0.1 * rng_.Gauss();
      shim = shim * 0.8 + 0.2 * rng_.Gauss();
    }
    const double hz = f.f0 * (1.0 + jitter_ * jit);
    const double pulse = -glottis.Saw(hz) * f.voicing * (1.0 + shimmer_ * shim);
    float y = source_hp.Process(static_cast<float>(pulse)) +
              breath_hp.Process(static_cast<float>(rng_.Bipolar() * f.breath * 0.8));
    for (auto& p : peaks) y = p.Process(y);
    out[i] = top_lp.Process(y) * 0.05f;
  }
  return out;
}

}  // namespace kalvor::soundgen
