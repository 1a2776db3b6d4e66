#pragma once

#include <functional>

#include "tools/soundgen/random.h"
#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {

// Formant frequencies of a vowel for an adult male voice.
struct Formants {
  double f1, f2, f3, f4;
};

// Vowels by letter: a (father), e (bed), i (see), o (law), u (boot), @ (schwa),
// y (cat), n (nasal hum, used for "m"/"n"/"hm").
Formants VowelFormants(char vowel);
Formants Blend(const Formants& a, const Formants& b, double t);

// What the voice does at one moment.
struct VoiceFrame {
  double f0 = 120.0;     // pitch in Hz
  double voicing = 1.0;  // level of the voiced source
  double breath = 0.0;   // level of the aspiration noise (also shaped by the formants)
  Formants formants = VowelFormants('a');
  double formant_scale = 1.0;  // 1 adult male, about 1.18 woman, 1.3 child
  double bandwidth = 1.0;      // widens (>1) or sharpens (<1) the formant peaks
};

// A small cascade formant synthesiser: a band-limited glottal pulse with jitter and
// shimmer, plus aspiration, through four resonators. Enough for laughs, cries,
// groans, coughs and the animal sounds, which need a voice-like colour, not words.
class FormantVoice {
 public:
  explicit FormantVoice(Random& rng, double jitter = 0.01, double shimmer = 0.08);

  Signal Render(double seconds, const std::function<VoiceFrame(double)>& frame_at);

 private:
  Random& rng_;
  double jitter_;
  double shimmer_;
};

}  // namespace kalvor::soundgen
