// Sounds of bodies and animals: cries, sneezes, coughs, snores, kisses, ghosts, a dog
// and a crow. All built on the formant voice with noise.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/soundgen/biquad.h"
#include "tools/soundgen/formant_voice.h"
#include "tools/soundgen/noise.h"
#include "tools/soundgen/oscillator.h"
#include "tools/soundgen/recipes.h"
#include "tools/soundgen/reverb.h"

namespace kalvor::soundgen {
namespace {

// 0 -> 1 -> 0 over [0, len] with the given attack and release times.
double Window(double t, double len, double attack, double release) {
  if (t < 0 || t > len) return 0.0;
  return std::min({1.0, t / attack, (len - t) / release});
}

// A burst of filtered noise, e.g. an explosive breath.
Signal NoiseBurst(Random& rng, double seconds, double lo_hz, double hi_hz, double decay) {
  Noise noise(rng);
  Biquad hp, lp;
  hp.SetHighpass(lo_hz, 0.7);
  lp.SetLowpass(hi_hz, 0.7);
  return Render(seconds, [&](double t) {
    const double env = std::min(1.0, t / 0.004) * std::exp(-t * decay);
    return lp.Process(hp.Process(static_cast<float>(noise.White() * env)));
  });
}

// A lip smack: a sharp pop and a short suction hiss.
Signal LipSmack(Random& rng, double pitch) {
  Noise noise(rng);
  Biquad bp;
  bp.SetBandpass(1400 * pitch, 2.0);
  return Render(0.09, [&](double t) {
    const double pop = t < 0.004 ? 0.5 - 0.5 * std::cos(2 * M_PI * t / 0.004) : 0.0;
    const double suction = bp.Process(noise.White()) * std::exp(-t * 45) * 2.0;
    return static_cast<float>(0.3 * pop + suction);
  });
}

Signal Kiss(Random& rng, double f0, double formant_scale, double voiced_seconds) {
  Signal s = LipSmack(rng, formant_scale);
  ScaleToActiveRms(s, 0.25);
  FormantVoice voice(rng, 0.015, 0.08);
  Signal mwah = voice.Render(voiced_seconds, [&](double t) {
    const double x = t / voiced_seconds;
    VoiceFrame f;
    f.formant_scale = formant_scale;
    f.formants = Blend(VowelFormants('u'), VowelFormants('a'), std::min(1.0, x * 4));
    f.f0 = f0 * (1.1 - 0.2 * x);
    f.voicing = Window(t, voiced_seconds, 0.02, voiced_seconds * 0.6);
    f.breath = 0.35 * f.voicing;
    return f;
  });
  ScaleToActiveRms(mwah, 0.12);
  MixInto(s, mwah, 0.03);
  return s;
}

Signal Groan(Random& rng, double seconds, double f0_from, double f0_to, char from, char to,
             double formant_scale, double breath) {
  FormantVoice voice(rng, 0.02, 0.1);
  return voice.Render(seconds, [&](double t) {
    const double x = t / seconds;
    VoiceFrame f;
    f.formant_scale = formant_scale;
    f.formants = Blend(VowelFormants(from), VowelFormants(to), std::min(1.0, x * 1.5));
    f.f0 = f0_from + (f0_to - f0_from) * x;
    f.voicing = Window(t, seconds, 0.08, seconds * 0.4);
    f.breath = breath * f.voicing;
    return f;
  });
}

}  // namespace

namespace body {

Signal BabyCry(RecipeContext& ctx) {
  // "Waaah" cries, rising then falling, separated by quick gasps.
  Signal s;
  double at = 0.05;
  for (int k = 0; k < 5; ++k) {
    const double len = ctx.rng.Range(0.75, 1.15);
    const double peak = ctx.rng.Range(480, 560);
    FormantVoice voice(ctx.rng, 0.04, 0.22);
    Signal cry = voice.Render(len, [&](double t) {
      const double x = t / len;
      VoiceFrame f;
      f.formant_scale = 1.6;
      f.formants = Blend(VowelFormants('u'), VowelFormants('y'), std::min(1.0, x * 6));
      f.f0 = peak * (0.8 + 0.2 * std::sin(M_PI * std::min(1.0, x * 1.3))) *
             (1 + 0.015 * std::sin(t * 40));
      f.voicing = Window(t, len, 0.03, 0.25);
      f.breath = 0.3 * f.voicing;
      f.bandwidth = 1.4;
      return f;
    });
    ScaleToActiveRms(cry, 0.2);
    MixInto(s, cry, at);
    at += len + 0.05;
    Signal gasp = Groan(ctx.rng, 0.22, 700, 800, 'i', 'i', 1.6, 0.8);
    ScaleToActiveRms(gasp, 0.05);
    MixInto(s, gasp, at);
    at += 0.3;
  }
  Reverb room(0.3, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

Signal Sneeze(RecipeContext& ctx) {
  Signal s;
  // "Ah... ah... ah..." building up.
  double at = 0.1;
  for (int k = 0; k < 3; ++k) {
    Signal ah = Groan(ctx.rng, 0.38, 170 + 40 * k, 210 + 50 * k, 'a', 'a', 1.0, 0.6);
    ScaleToActiveRms(ah, 0.06 + 0.03 * k);
    MixInto(s, ah, at);
    at += 0.55 - 0.08 * k;
  }
  at += 0.15;
  // "...CHOO!": an explosive hiss into a falling "oo".
  Signal burst = NoiseBurst(ctx.rng, 0.35, 1500, 9000, 9);
  ScaleToActiveRms(burst, 0.35);
  MixInto(s, burst, at);
  Signal choo = Groan(ctx.rng, 0.45, 260, 160, 'u', 'u', 1.0, 0.7);
  ScaleToActiveRms(choo, 0.25);
  MixInto(s, choo, at + 0.06);
  Reverb room(0.3, 0.5);
  return room.Process(s, 1.0f, 0.25f, 0.4);
}

Signal Cough(RecipeContext& ctx) {
  Signal s;
  double at = 0.05;
  auto cough = [&](double strength) {
    Signal c = NoiseBurst(ctx.rng, 0.28, 200, 5000, 14);
    Biquad f1, f2;
    f1.SetPeaking(600, 2, 10);
    f2.SetPeaking(1200, 2, 8);
    for (float& v : c) v = f2.Process(f1.Process(v));
    Signal voiced = Groan(ctx.rng, 0.16, 150, 110, '@', 'a', 1.0, 0.5);
    ScaleToActiveRms(c, 0.3 * strength);
    ScaleToActiveRms(voiced, 0.12 * strength);
    MixInto(c, voiced, 0.005);
    return c;
  };
  for (double gap : {0.0, 0.32, 0.3, 0.9}) {
    at += gap;
    MixInto(s, cough(ctx.rng.Range(0.8, 1.1)), at);
  }
  at += 0.35;
  MixInto(s, cough(1.2), at);
  at += 0.7;
  // Clearing the throat: "ahem".
  Signal ahem = Groan(ctx.rng, 0.5, 125, 105, '@', 'e', 1.0, 0.3);
  ScaleToActiveRms(ahem, 0.1);
  MixInto(s, ahem, at);
  Reverb room(0.35, 0.5);
  return room.Process(s, 1.0f, 0.25f, 0.4);
}

Signal Burp(RecipeContext& ctx) {
  // Two burps: a low, very rough voice through an "o" that opens to "a".
  Signal s;
  double at = 0.1;
  for (double len : {0.55, 1.1}) {
    FormantVoice voice(ctx.rng, 0.18, 0.5);
    Signal b = voice.Render(len, [&](double t) {
      const double x = t / len;
      VoiceFrame f;
      f.formant_scale = 0.9;
      f.formants = Blend(VowelFormants('o'), VowelFormants('a'), std::min(1.0, x * 2));
      f.f0 = 78 * (1.1 - 0.2 * x) * (1 + 0.2 * std::sin(t * 2 * M_PI * 23));
      f.voicing = Window(t, len, 0.02, len * 0.5);
      f.breath = 0.15 * f.voicing;
      return f;
    });
    ScaleToActiveRms(b, 0.2);
    MixInto(s, b, at);
    at += len + 0.6;
  }
  Reverb room(0.3, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

Signal Snore(RecipeContext& ctx) {
  // Three breaths: a rattling in-breath (the soft palate fluttering about 30 times a
  // second) and a puffing out-breath.
  Signal s;
  double at = 0.05;
  for (int k = 0; k < 3; ++k) {
    const double in_len = ctx.rng.Range(1.2, 1.5);
    FormantVoice voice(ctx.rng, 0.2, 0.6);
    Signal in = voice.Render(in_len, [&](double t) {
      VoiceFrame f;
      f.formant_scale = 0.9;
      f.formants = VowelFormants('o');
      f.f0 = 32 + 6 * std::sin(t * 3);
      f.voicing = Window(t, in_len, 0.4, 0.2);
      f.breath = 0.5 * f.voicing;
      return f;
    });
    ScaleToActiveRms(in, 0.25);
    MixInto(s, in, at);
    at += in_len + 0.15;
    Signal out = NoiseBurst(ctx.rng, 0.9, 150, 1800, 3);
    ApplyEnvelope(out, {{0, 0}, {0.15, 1}, {0.9, 0}});
    ScaleToActiveRms(out, 0.06);
    MixInto(s, out, at);
    at += 1.0;
  }
  return s;
}

Signal Dozing(RecipeContext& ctx) {
  // A long yawn, then dozing off: slow breaths with a little whistle.
  Signal s = Groan(ctx.rng, 1.8, 260, 110, 'a', 'o', 1.0, 0.5);
  ScaleToActiveRms(s, 0.15);
  double at = 2.3;
  for (int k = 0; k < 2; ++k) {
    Signal breath = NoiseBurst(ctx.rng, 1.0, 200, 1500, 1.5);
    ApplyEnvelope(breath, {{0, 0}, {0.4, 1}, {1.0, 0}});
    ScaleToActiveRms(breath, 0.07);
    MixInto(s, breath, at);
    Oscillator osc;
    Signal whistle = Render(0.8, [&](double t) {
      return static_cast<float>(osc.Sine(1200 + 900 * t) * Window(t, 0.8, 0.2, 0.3));
    });
    ScaleToActiveRms(whistle, 0.04);
    MixInto(s, whistle, at + 1.05);
    at += 2.2;
  }
  return s;
}

Signal Chewing(RecipeContext& ctx) {
  // Crunchy bites: a scatter of tiny cracks plus a wet, muffled squelch per chew.
  Signal s(ToSamples(5.5), 0.0f);
  Noise noise(ctx.rng);
  for (double at = 0.1; at < 5.1; at += ctx.rng.Range(0.38, 0.5)) {
    const int grains = 6 + ctx.rng.Int(10);
    for (int g = 0; g < grains; ++g) {
      Signal grain = NoiseBurst(ctx.rng, 0.015, 1500, 7000, 400);
      MixInto(s, grain, at + ctx.rng.Range(0.0, 0.12), static_cast<float>(ctx.rng.Range(0.2, 0.7)));
    }
    Biquad wet;
    wet.SetBandpass(ctx.rng.Range(250, 400), 3);
    Signal squelch = Render(0.2, [&](double t) {
      return static_cast<float>(wet.Process(noise.White()) * Window(t, 0.2, 0.03, 0.12) * 1.5);
    });
    MixInto(s, squelch, at + 0.05, 0.5f);
  }
  return s;
}

Signal Fart(RecipeContext& ctx) {
  // Irregular low buzzing through the flesh: pitch wobbling, then sputtering out.
  Signal s;
  double at = 0.1;
  for (double len : {1.3, 0.45}) {
    FormantVoice voice(ctx.rng, 0.12, 0.4);
    Signal f = voice.Render(len, [&](double t) {
      const double x = t / len;
      VoiceFrame fr;
      fr.formant_scale = 0.6;
      fr.formants = VowelFormants('u');
      fr.bandwidth = 2.0;
      fr.f0 = (110 + 35 * std::sin(t * 9) - 40 * x) * (x > 0.75 ? 0.6 : 1.0);
      fr.voicing =
          Window(t, len, 0.01, len * 0.3) * (x > 0.75 ? (0.5 + 0.5 * std::sin(t * 90)) : 1.0);
      fr.breath = 0.3 * fr.voicing;
      return fr;
    });
    Biquad lp;
    lp.SetLowpass(1200, 0.8);
    lp.ProcessInPlace(f);
    ScaleToActiveRms(f, 0.2);
    MixInto(s, f, at);
    at += len + 0.35;
  }
  return s;
}

Signal WomanMoan(RecipeContext& ctx) {
  // Tired groans: a hummed "mmm" sinking, then a sighing "aah".
  Signal s;
  double at = 0.05;
  for (int k = 0; k < 2; ++k) {
    Signal hum = Groan(ctx.rng, 1.1, 250, 200, 'n', 'n', 1.17, 0.15);
    ScaleToActiveRms(hum, 0.12);
    MixInto(s, hum, at);
    at += 1.25;
    Signal sigh = Groan(ctx.rng, 1.3, 290, 190, 'a', 'o', 1.17, 0.55);
    ScaleToActiveRms(sigh, 0.14);
    MixInto(s, sigh, at);
    at += 1.6;
  }
  Reverb room(0.35, 0.5);
  return room.Process(s, 1.0f, 0.3f, 0.5);
}

namespace {

Signal Ghost(Random& rng, double f0, double formant_scale, double swoop) {
  // A wavering "oooOOOooo" with slow swoops, whispering wind and a cavernous echo.
  const double len = 6.2;
  FormantVoice voice(rng, 0.01, 0.05);
  Signal s = voice.Render(len, [&](double t) {
    VoiceFrame f;
    f.formant_scale = formant_scale;
    f.formants = Blend(VowelFormants('u'), VowelFormants('o'), 0.5 + 0.5 * std::sin(t * 1.3));
    const double phrase = std::fmod(t, 2.05) / 2.05;
    f.f0 = f0 * (1 + swoop * std::sin(M_PI * phrase) - 0.3 * swoop * phrase) *
           (1 + 0.03 * std::sin(2 * M_PI * 5.5 * t));
    f.voicing = std::pow(std::sin(M_PI * phrase), 0.7);
    f.breath = 0.35 * f.voicing + 0.05;
    return f;
  });
  Noise noise(rng);
  Biquad wind;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    if (i % 64 == 0) wind.SetBandpass(500 + 300 * std::sin(t * 0.9), 3);
    s[i] += static_cast<float>(0.04 * wind.Process(noise.White()));
  }
  Reverb cave(0.95, 0.3);
  Signal out = cave.Process(s, 0.8f, 0.7f, 1.2, 0.03);
  return Echo(out, 0.42, 0.3f, 2, 1500);
}

}  // namespace

Signal GhostMan(RecipeContext& ctx) {
  return Ghost(ctx.rng, 120, 1.0, 0.45);
}

Signal GhostWoman(RecipeContext& ctx) {
  return Ghost(ctx.rng, 420, 1.2, 0.55);
}

Signal DogBark(RecipeContext& ctx) {
  // "Woof woof ... woof woof woof" from a medium dog.
  Signal s;
  auto bark = [&] {
    const double len = ctx.rng.Range(0.14, 0.2);
    FormantVoice voice(ctx.rng, 0.05, 0.3);
    Signal b = voice.Render(len, [&](double t) {
      const double x = t / len;
      VoiceFrame f;
      f.formant_scale = 1.25;
      f.formants = Blend(VowelFormants('y'), VowelFormants('o'), x);
      f.f0 = 430 * (1.05 - 0.35 * x);
      f.voicing = Window(t, len, 0.008, len * 0.6);
      f.breath = 0.6 * f.voicing;
      f.bandwidth = 1.5;
      return f;
    });
    ScaleToActiveRms(b, 0.25);
    return b;
  };
  for (double at : {0.1, 0.42, 1.35, 1.62, 1.9}) MixInto(s, bark(), at);
  Reverb yard(0.5, 0.5);
  return yard.Process(s, 1.0f, 0.3f, 0.6);
}

Signal CrowFlyingBy(RecipeContext& ctx) {
  // Three hoarse "caw"s with wing beats, the bird passing over a quiet field.
  Signal s;
  Noise noise(ctx.rng);
  double at = 0.3;
  for (int k = 0; k < 3; ++k) {
    const double len = 0.38;
    FormantVoice voice(ctx.rng, 0.08, 0.6);
    Signal caw = voice.Render(len, [&](double t) {
      const double x = t / len;
      VoiceFrame f;
      f.formant_scale = 1.35;
      f.formants = Blend(VowelFormants('y'), VowelFormants('a'), x);
      f.bandwidth = 1.8;
      f.f0 = 560 * (1.0 - 0.22 * x) * (1 + 0.25 * std::sin(2 * M_PI * 55 * t));
      f.voicing = Window(t, len, 0.015, 0.12);
      f.breath = 0.4 * f.voicing;
      return f;
    });
    ScaleToActiveRms(caw, 0.25 * (1.0 - 0.15 * k));
    MixInto(s, caw, at);
    at += 0.75;
  }
  // Wing beats: soft low whooshes about four a second.
  Biquad lp;
  lp.SetLowpass(700, 0.7);
  Signal wings = Render(3.6, [&](double t) {
    const double beat = std::pow(std::max(0.0, std::sin(2 * M_PI * 3.6 * t)), 4);
    return static_cast<float>(lp.Process(noise.White()) * beat * 0.5 * Window(t, 3.6, 0.5, 1.2));
  });
  MixInto(s, wings, 0.0, 0.6f);
  PadTo(s, 4.0);
  Reverb field(0.7, 0.5);
  return field.Process(s, 1.0f, 0.3f, 0.8);
}

Signal KissMan(RecipeContext& ctx) {
  Signal s = Kiss(ctx.rng, 120, 1.0, 0.35);
  Signal hum = Groan(ctx.rng, 0.5, 125, 110, 'n', 'n', 1.0, 0.2);
  ScaleToActiveRms(hum, 0.05);
  MixInto(s, hum, 0.55);
  PadTo(s, 1.4);
  Reverb room(0.2, 0.5);
  return room.Process(s, 1.0f, 0.15f, 0.2);
}

Signal KissWoman(RecipeContext& ctx) {
  Signal s = Kiss(ctx.rng, 250, 1.17, 0.3);
  Signal giggle = crowd::ChildLaugh(ctx);
  Trim(giggle, 0.7);
  FadeOut(giggle, 0.2);
  ScaleToActiveRms(giggle, 0.05);
  MixInto(s, giggle, 0.6);
  PadTo(s, 1.6);
  Reverb room(0.2, 0.5);
  return room.Process(s, 1.0f, 0.15f, 0.2);
}

Signal KissWomanFlirty(RecipeContext& ctx) {
  // Quick little kisses, a long "mwaaah" and a breathy rising "hmm?".
  Signal s;
  for (double at : {0.05, 0.3, 0.52}) MixInto(s, LipSmack(ctx.rng, 1.2), at, 0.25f);
  ScaleToActiveRms(s, 0.2);
  MixInto(s, Kiss(ctx.rng, 260, 1.17, 0.7), 0.9);
  Signal hmm = Groan(ctx.rng, 0.8, 220, 300, 'n', 'n', 1.17, 0.4);
  ScaleToActiveRms(hmm, 0.07);
  MixInto(s, hmm, 2.0);
  Reverb room(0.25, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

Signal WhipMan(RecipeContext& ctx) {
  // Whoosh-CRACK, and a man's yelp, twice.
  Signal s;
  double at = 0.05;
  for (int k = 0; k < 2; ++k) {
    Signal swish = Whoosh(ctx.rng, 0.3, 400, 3000);
    ScaleToActiveRms(swish, 0.08);
    MixInto(s, swish, at);
    Signal crack = NoiseBurst(ctx.rng, 0.08, 800, 12000, 90);
    ScaleToActiveRms(crack, 0.5);
    MixInto(s, crack, at + 0.3);
    FormantVoice voice(ctx.rng, 0.03, 0.15);
    Signal yelp = voice.Render(0.45, [&](double t) {
      const double x = t / 0.45;
      VoiceFrame f;
      f.formants = VowelFormants('a');
      f.f0 = (k == 0 ? 260 : 300) * (1.1 - 0.35 * x);
      f.voicing = Window(t, 0.45, 0.02, 0.2);
      f.breath = 0.3 * f.voicing;
      return f;
    });
    ScaleToActiveRms(yelp, 0.2);
    MixInto(s, yelp, at + 0.42);
    at += 1.3;
  }
  Reverb room(0.35, 0.5);
  return room.Process(s, 1.0f, 0.25f, 0.4);
}

Signal Scoff(RecipeContext& ctx) {
  // A contemptuous "切~" and a nasal "hmph".
  SpeechParams p;
  p.voice = "cmn";
  p.rate = 110;
  p.pitch = 35;
  p.range = 80;
  Signal s = ctx.speech.Speak("切", p);
  ScaleToActiveRms(s, 0.15);
  PadTo(s, 0.6);
  Signal hmph = Groan(ctx.rng, 0.35, 150, 115, 'n', 'n', 1.0, 0.3);
  Signal puff = NoiseBurst(ctx.rng, 0.15, 300, 4000, 25);
  ScaleToActiveRms(hmph, 0.12);
  ScaleToActiveRms(puff, 0.08);
  MixInto(hmph, puff, 0.3);
  Append(s, hmph, 0.25);
  PadTo(s, 1.6);
  Reverb room(0.25, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

}  // namespace body
}  // namespace kalvor::soundgen
