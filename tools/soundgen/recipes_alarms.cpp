// Sirens, horns, whistles and the telephone sounds.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/soundgen/biquad.h"
#include "tools/soundgen/instruments.h"
#include "tools/soundgen/noise.h"
#include "tools/soundgen/oscillator.h"
#include "tools/soundgen/recipes.h"
#include "tools/soundgen/reverb.h"

namespace kalvor::soundgen {
namespace {

// Struck metal: each mode rings as a damped resonator and is hit at every strike
// time, so a fast hammer gives the continuous rattle of an alarm or telephone bell.
struct Mode {
  double hz;
  double decay_seconds;
  double level;
};

Signal ModalStrikes(const std::vector<Mode>& modes, const std::vector<double>& strikes,
                    double seconds) {
  std::vector<bool> hit(ToSamples(seconds), false);
  for (double t : strikes) {
    const std::size_t i = ToSamples(t);
    if (i < hit.size()) hit[i] = true;
  }
  Signal out(hit.size(), 0.0f);
  for (const Mode& m : modes) {
    const double r = std::exp(-1.0 / (m.decay_seconds * kSampleRate));
    const double c = 2.0 * r * std::cos(2.0 * M_PI * m.hz * kDt);
    double y1 = 0, y2 = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
      double x = 0;
      if (hit[i]) {
        // The hammer rests on the metal for a moment, choking what was ringing.
        y1 *= 0.45;
        y2 *= 0.45;
        x = 1.0;
      }
      const double y = x + c * y1 - r * r * y2;
      y2 = y1;
      y1 = y;
      out[i] += static_cast<float>(y * m.level * 0.05);
    }
  }
  return out;
}

// A horn speaker's colour: a resonant bump and some hard clipping.
void HornSpeaker(Signal& s, double resonance_hz) {
  Biquad peak, hp;
  peak.SetPeaking(resonance_hz, 1.5, 8);
  hp.SetHighpass(350, 0.7);
  for (float& v : s) v = hp.Process(peak.Process(v));
  Saturate(s, 2.0f);
}

// Electronic siren tone following a pitch curve.
Signal SirenTone(double seconds, const std::function<double(double)>& hz_at) {
  Oscillator a, b(0.25);
  return Render(seconds, [&](double t) {
    const double hz = hz_at(t);
    return static_cast<float>(0.45 * a.Square(hz, 0.5) + 0.35 * b.Sine(hz));
  });
}

Signal Outdoors(const Signal& s, float wet, double tail) {
  Reverb room(0.6, 0.5);
  Signal out = room.Process(s, 1.0f, wet, tail, 0.03);
  return Echo(out, 0.32, 0.25f, 2, 2500);
}

std::vector<double> Every(double from, double to, double step) {
  std::vector<double> out;
  for (double t = from; t < to; t += step) out.push_back(t);
  return out;
}

// DTMF keypad frequencies.
Signal DtmfDigit(char digit, double seconds) {
  static const double rows[] = {697, 770, 852, 941};
  static const double cols[] = {1209, 1336, 1477};
  static const char* keys = "123456789*0#";
  int index = 0;
  for (int k = 0; k < 12; ++k) {
    if (keys[k] == digit) index = k;
  }
  const double lo = rows[index / 3], hi = cols[index % 3];
  return Render(seconds, [&](double t) {
    return static_cast<float>(0.3 * (std::sin(2 * M_PI * lo * t) + std::sin(2 * M_PI * hi * t)));
  });
}

Signal LineTone(double hz, double seconds) {
  Signal s = Render(
      seconds, [&](double t) { return static_cast<float>(0.5 * std::sin(2 * M_PI * hz * t)); });
  FadeIn(s, 0.005);
  FadeOut(s, 0.005);
  return s;
}

}  // namespace

Signal PhoneLine(const Signal& voice, Random& rng) {
  Signal s = voice;
  for (double q : {0.54, 1.31}) {
    Biquad hp, lp;
    hp.SetHighpass(320, q);
    lp.SetLowpass(3300, q);
    for (float& v : s) v = lp.Process(hp.Process(v));
  }
  Saturate(s, 1.6f);
  Noise noise(rng);
  Biquad hiss;
  hiss.SetBandpass(2000, 0.5);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    s[i] += static_cast<float>(0.012 * hiss.Process(noise.White()) +
                               0.004 * std::sin(2 * M_PI * 50 * t));
  }
  return s;
}

Signal Chime(std::initializer_list<double> midis, double spacing) {
  Signal out;
  double at = 0;
  for (double m : midis) {
    const double hz = MidiToHz(m);
    Signal note = Render(1.6, [&](double t) {
      const double x = std::sin(2 * M_PI * hz * t) +
                       0.25 * std::sin(2 * M_PI * hz * 2.0 * t) * std::exp(-t * 3) +
                       0.1 * std::sin(2 * M_PI * hz * 3.0 * t) * std::exp(-t * 6);
      return static_cast<float>(0.5 * x * std::exp(-t * 2.2) * std::min(1.0, t / 0.003));
    });
    MixInto(out, note, at);
    at += spacing;
  }
  return out;
}

namespace alarms {

Signal PoliceSiren(RecipeContext&) {
  // Two slow wails, then the fast yelp.
  const double wail = 2.2, yelp_from = 4.4, total = 7.6;
  Signal s = SirenTone(total, [&](double t) {
    if (t < yelp_from) {
      const double p = std::fmod(t, wail) / wail;
      const double shape =
          p < 0.55 ? std::sin(p / 0.55 * M_PI / 2) : std::cos((p - 0.55) / 0.45 * M_PI / 2);
      return 620 + 760 * shape;
    }
    const double p = std::fmod(t - yelp_from, 0.3) / 0.3;
    return 700 + 650 * std::sin(p * M_PI / 2);
  });
  HornSpeaker(s, 1800);
  FadeIn(s, 0.2);
  return Outdoors(s, 0.25f, 0.6);
}

Signal AmbulanceSiren(RecipeContext&) {
  Signal s = SirenTone(7.0, [](double t) {
    const double p = std::fmod(t, 1.3);
    return p < 0.65 ? 960.0 : 770.0;
  });
  // Soften the jumps between the two tones a little.
  HornSpeaker(s, 1600);
  ApplyEnvelope(s, {{0, 0.6}, {0.3, 1}, {5.5, 1}, {7, 0.7}});
  return Outdoors(s, 0.25f, 0.6);
}

Signal FireAlarm(RecipeContext&) {
  // An electric bell, hammered 18 times a second...
  const std::vector<Mode> bell = {
      {1020, 0.45, 1.0}, {2750, 0.25, 0.7}, {4390, 0.15, 0.45}, {5870, 0.1, 0.3}};
  Signal s = ModalStrikes(bell, Every(0.0, 3.6, 1.0 / 18), 4.2);
  // ...then the electronic whoop: rising sweeps.
  Signal whoop = SirenTone(3.6, [](double t) {
    const double p = std::fmod(t, 0.9) / 0.9;
    return 480 + 820 * std::min(1.0, p / 0.8);
  });
  for (std::size_t i = 0; i < whoop.size(); ++i) {
    const double p = std::fmod(static_cast<double>(i) * kDt, 0.9);
    whoop[i] *= static_cast<float>(std::clamp(std::min(p / 0.02, (0.75 - p) / 0.03), 0.0, 1.0));
  }
  HornSpeaker(whoop, 1500);
  MixInto(s, whoop, 3.9, 0.8f);
  Reverb hall(0.4, 0.4);
  return hall.Process(s, 1.0f, 0.3f, 0.5);
}

Signal AirRaidSiren(RecipeContext& ctx) {
  // A motor siren: slow rise, hold, slow fall; two rotors a minor third apart.
  auto hz_at = [](double t) {
    if (t < 3.0) return 180 + 420 * std::sin(t / 3.0 * M_PI / 2);
    if (t < 4.6) return 600.0 + 6 * std::sin(t * 5);
    return 600 - 380 * std::sin(std::min(1.0, (t - 4.6) / 3.2) * M_PI / 2);
  };
  Oscillator a, b(0.4);
  Noise noise(ctx.rng);
  Biquad air;
  Signal s(ToSamples(7.8));
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double hz = hz_at(t);
    if (i % 32 == 0) air.SetBandpass(hz * 2, 6);
    const double tone = 0.5 * a.Square(hz, 0.35) + 0.4 * b.Square(hz * 1.19, 0.35);
    s[i] = static_cast<float>(tone + 0.8 * air.Process(noise.White()));
  }
  Biquad lp;
  lp.SetLowpass(3500, 0.7);
  lp.ProcessInPlace(s);
  ApplyEnvelope(s, {{0, 0.3}, {2.0, 1.0}, {6.0, 0.9}, {7.8, 0.2}});
  Reverb city(0.9, 0.4);
  return Echo(city.Process(s, 1.0f, 0.5f, 0.5, 0.05), 0.55, 0.3f, 2, 2000);
}

Signal CarHorn(RecipeContext&) {
  Oscillator a, b;
  auto blast = [&](double seconds) {
    Signal s = Render(seconds, [&](double t) {
      const double bend = 1.0 - 0.03 * std::exp(-t * 40);
      return static_cast<float>(0.5 * a.Saw(415 * bend) + 0.5 * b.Saw(523 * bend));
    });
    FadeIn(s, 0.01);
    FadeOut(s, 0.02);
    return s;
  };
  Signal s;
  MixInto(s, blast(0.22), 0.0);
  MixInto(s, blast(0.22), 0.34);
  MixInto(s, blast(1.3), 0.95);
  PadTo(s, 2.9);
  HornSpeaker(s, 2300);
  return Outdoors(s, 0.2f, 0.7);
}

Signal TruckAirHorn(RecipeContext&) {
  // Three trumpets of an air horn, each starting a little flat as the air pressure builds.
  const double tones[] = {155.6, 196.0, 233.1};
  auto blast = [&](double seconds) {
    std::vector<Oscillator> osc(3);
    Biquad body;
    body.SetPeaking(900, 1.2, 9);
    Signal s = Render(seconds, [&](double t) {
      const double bend = 1.0 - 0.06 * std::exp(-t * 12);
      double x = 0;
      for (int k = 0; k < 3; ++k) x += osc[static_cast<std::size_t>(k)].Saw(tones[k] * bend);
      return body.Process(static_cast<float>(0.3 * x));
    });
    ApplyEnvelope(s, {{0, 0}, {0.06, 1}, {seconds - 0.08, 1}, {seconds, 0}});
    return s;
  };
  Signal s;
  MixInto(s, blast(1.7), 0.0);
  MixInto(s, blast(0.45), 2.0);
  MixInto(s, blast(2.2), 2.75);
  Saturate(s, 1.8f);
  return Outdoors(s, 0.35f, 1.0);
}

Signal TrainWhistle(RecipeContext& ctx) {
  Noise noise(ctx.rng);
  // The steam engine chuffing underneath, four beats to a wheel turn.
  Signal chug(ToSamples(7.5));
  Biquad chuff_bp;
  chuff_bp.SetBandpass(900, 0.8);
  for (std::size_t i = 0; i < chug.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double beat = std::fmod(t * 4.2, 1.0);
    const double accent = (static_cast<int>(t * 4.2) % 4 == 0) ? 1.0 : 0.6;
    chug[i] =
        static_cast<float>(chuff_bp.Process(noise.White()) * std::exp(-beat * 6) * accent * 0.6);
  }
  // The whistle: three breathy pipes, a short toot then a long one.
  const double pipes[] = {523, 659, 784};
  auto toot = [&](double seconds) {
    std::vector<Oscillator> osc(6);
    std::vector<Biquad> breath(3);
    for (int k = 0; k < 3; ++k) breath[static_cast<std::size_t>(k)].SetBandpass(pipes[k], 8);
    Signal s = Render(seconds, [&](double t) {
      const double slide = 1.0 - 0.05 * std::exp(-t * 8);
      double x = 0;
      for (std::size_t k = 0; k < 3; ++k) {
        const double hz = pipes[k] * slide;
        x += osc[k].Sine(hz) + 0.35 * osc[k + 3].Sine(2 * hz) +
             1.5 * breath[k].Process(noise.White());
      }
      return static_cast<float>(0.25 * x);
    });
    ApplyEnvelope(s, {{0, 0}, {0.08, 1}, {seconds - 0.25, 0.9}, {seconds, 0}});
    return s;
  };
  Signal s = chug;
  MixInto(s, toot(0.7), 0.6, 1.3f);
  MixInto(s, toot(2.6), 1.6, 1.3f);
  ApplyEnvelope(s, {{0, 0.6}, {1, 1}, {6.5, 1}, {7.5, 0.3}});
  return Outdoors(s, 0.35f, 0.8);
}

Signal BusyTone(RecipeContext& ctx) {
  Signal s;
  for (int k = 0; k < 7; ++k) MixInto(s, LineTone(450, 0.35), k * 0.7);
  PadTo(s, 4.9);
  return PhoneLine(s, ctx.rng);
}

Signal DialNumber(RecipeContext& ctx) {
  Signal s = LineTone(450, 0.9);  // dial tone after lifting the handset
  double at = 1.05;
  for (char d : std::string("13800138000")) {
    MixInto(s, DtmfDigit(d, 0.09), at);
    at += 0.16;
  }
  at += 0.6;
  MixInto(s, LineTone(450, 1.0), at);  // ringing tone
  MixInto(s, LineTone(450, 1.0), at + 2.2);
  return PhoneLine(s, ctx.rng);
}

Signal PhoneRinging(RecipeContext&) {
  // An old telephone bell: two gongs, the clapper between them at 25 Hz, in
  // double rings.
  const std::vector<Mode> gongs = {
      {1180, 0.22, 1.0}, {1410, 0.2, 0.9}, {3200, 0.12, 0.5}, {4050, 0.1, 0.35}};
  std::vector<double> strikes;
  for (double start : {0.0, 0.6, 3.0, 3.6}) {
    for (double t : Every(start, start + 0.4, 1.0 / 25)) strikes.push_back(t);
  }
  Signal s = ModalStrikes(gongs, strikes, 6.0);
  Reverb room(0.3, 0.5);
  return room.Process(s, 1.0f, 0.25f, 0.3);
}

}  // namespace alarms
}  // namespace kalvor::soundgen
