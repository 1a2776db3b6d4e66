#include "tools/soundgen/instruments.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/soundgen/biquad.h"
#include "tools/soundgen/noise.h"
#include "tools/soundgen/oscillator.h"

namespace kalvor::soundgen {
namespace {

// Attack / decay-to-sustain / release envelope over a note of `seconds` plus release.
double Adsr(double t, double seconds, double a, double d, double s, double r) {
  double level;
  if (t < a) {
    level = t / a;
  } else if (t < a + d) {
    level = 1.0 - (1.0 - s) * (t - a) / d;
  } else {
    level = s;
  }
  if (t > seconds) {
    const double held = t - seconds;
    level = held >= r ? 0.0 : level * (1.0 - held / r);
  }
  return level;
}

}  // namespace

Signal SquareNote(double hz, double seconds, double duty) {
  Oscillator osc;
  return Render(seconds + 0.05, [&](double t) {
    return static_cast<float>(0.5 * osc.Square(hz, duty) *
                              Adsr(t, seconds, 0.004, 0.08, 0.7, 0.05));
  });
}

Signal TriangleNote(double hz, double seconds) {
  Oscillator osc;
  return Render(seconds + 0.04, [&](double t) {
    return static_cast<float>(0.8 * std::asin(std::sin(2 * M_PI * hz * t)) / (M_PI / 2) *
                              Adsr(t, seconds, 0.003, 0.05, 0.9, 0.04));
  });
}

Signal PluckNote(Random& rng, double hz, double seconds) {
  // Karplus-Strong string.
  const std::size_t period = std::max<std::size_t>(2, static_cast<std::size_t>(kSampleRate / hz));
  std::vector<float> line(period);
  for (auto& v : line) v = static_cast<float>(rng.Bipolar());
  Signal out(ToSamples(seconds + 0.3));
  std::size_t k = 0;
  float prev = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float cur = line[k];
    const float next = 0.497f * (cur + prev);
    prev = cur;
    line[k] = next;
    k = (k + 1) % period;
    const double t = static_cast<double>(i) * kDt;
    out[i] = static_cast<float>(cur * Adsr(t, seconds, 0.001, 0.01, 1.0, 0.3));
  }
  return out;
}

Signal BellNote(double hz, double seconds, double ratio, double index) {
  const double decay = std::max(0.3, seconds);
  return Render(seconds + 0.5, [&](double t) {
    const double env = std::exp(-t * 3.0 / decay) * std::min(1.0, t / 0.002);
    const double mod = index * std::exp(-t * 5.0 / decay) * std::sin(2 * M_PI * hz * ratio * t);
    return static_cast<float>(0.6 * env * std::sin(2 * M_PI * hz * t + mod));
  });
}

Signal BrassNote(double hz, double seconds) {
  Oscillator a, b(0.3);
  Biquad lp;
  Signal out(ToSamples(seconds + 0.12));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double env = Adsr(t, seconds, 0.04, 0.15, 0.8, 0.12);
    const double vib = 1.0 + 0.004 * std::sin(2 * M_PI * 5.2 * t) * std::min(1.0, t / 0.3);
    if (i % 32 == 0) lp.SetLowpass(300 + 3500 * env * std::min(1.0, t / 0.06 + 0.2), 1.2);
    const double x = 0.5 * (a.Saw(hz * vib) + b.Saw(hz * vib * 1.003));
    out[i] = static_cast<float>(lp.Process(static_cast<float>(x)) * env);
  }
  return out;
}

Signal StringsNote(double hz, double seconds) {
  std::array<Oscillator, 4> osc = {Oscillator(0.1), Oscillator(0.4), Oscillator(0.7),
                                   Oscillator(0.9)};
  const std::array<double, 4> detune = {0.994, 0.998, 1.003, 1.007};
  Biquad lp;
  lp.SetLowpass(std::min(6000.0, hz * 6), 0.7);
  Signal out(ToSamples(seconds + 0.4));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    double x = 0;
    for (int k = 0; k < 4; ++k)
      x += osc[k].Saw(hz * detune[k] * (1 + 0.003 * std::sin(5.5 * t + k)));
    out[i] = static_cast<float>(lp.Process(static_cast<float>(x * 0.3)) *
                                Adsr(t, seconds, 0.12, 0.2, 0.85, 0.4));
  }
  return out;
}

Signal OrganNote(double hz, double seconds) {
  return Render(seconds + 0.08, [&](double t) {
    const double w = 2 * M_PI * hz * t;
    const double x = std::sin(w) + 0.6 * std::sin(2 * w) + 0.4 * std::sin(3 * w) +
                     0.25 * std::sin(4 * w) + 0.15 * std::sin(6 * w);
    return static_cast<float>(0.4 * x * Adsr(t, seconds, 0.01, 0.05, 0.95, 0.08));
  });
}

Signal PianoNote(double hz, double seconds) {
  const double len = seconds + 0.6;
  return Render(len, [&](double t) {
    double x = 0;
    for (int k = 1; k <= 8; ++k) {
      const double fk = hz * k * std::sqrt(1 + 0.0004 * k * k);
      if (fk > 16000) break;
      x += std::sin(2 * M_PI * fk * t) * std::exp(-t * (1.2 + 0.7 * k)) / k;
    }
    const double release = t > seconds ? std::exp(-(t - seconds) * 12) : 1.0;
    return static_cast<float>(0.7 * x * release * std::min(1.0, t / 0.002));
  });
}

Signal ReedNote(double hz, double seconds) {
  Oscillator osc;
  Biquad f1, f2;
  f1.SetPeaking(1200, 2.0, 10);
  f2.SetPeaking(2800, 2.5, 8);
  Signal out(ToSamples(seconds + 0.06));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double vib = 1.0 + 0.012 * std::sin(2 * M_PI * 6.0 * t) * std::min(1.0, t / 0.2);
    const double x = osc.Square(hz * vib, 0.18) * 0.35;
    out[i] = static_cast<float>(f2.Process(f1.Process(static_cast<float>(x))) *
                                Adsr(t, seconds, 0.015, 0.05, 0.85, 0.06) * 0.5);
  }
  return out;
}

Signal MalletNote(double hz, double seconds) {
  return Render(std::min(seconds, 0.6) + 0.4, [&](double t) {
    const double x = std::sin(2 * M_PI * hz * t) * std::exp(-t * 7) +
                     0.35 * std::sin(2 * M_PI * hz * 3.93 * t) * std::exp(-t * 25) +
                     0.15 * std::sin(2 * M_PI * hz * 9.2 * t) * std::exp(-t * 60);
    return static_cast<float>(0.7 * x * std::min(1.0, t / 0.001));
  });
}

Signal SynthBassNote(double hz, double seconds) {
  Oscillator osc, sub;
  Biquad lp;
  Signal out(ToSamples(seconds + 0.05));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    if (i % 32 == 0) lp.SetLowpass(200 + 1200 * std::exp(-t * 12), 1.5);
    const double x = 0.6 * osc.Saw(hz) + 0.5 * sub.Sine(hz * 0.5);
    out[i] = static_cast<float>(lp.Process(static_cast<float>(x)) *
                                Adsr(t, seconds, 0.005, 0.1, 0.8, 0.05));
  }
  return out;
}

Signal Kick(double punch) {
  double phase = 0;
  return Render(0.45, [&](double t) {
    const double hz = 48 + 110 * punch * std::exp(-t * 28);
    phase += hz * kDt;
    const double click = t < 0.003 ? (1 - t / 0.003) * 0.4 : 0.0;
    return static_cast<float>(std::sin(2 * M_PI * phase) * std::exp(-t * 9) + click);
  });
}

Signal Snare(Random& rng) {
  Noise noise(rng);
  Biquad bp;
  bp.SetBandpass(3500, 0.7);
  return Render(0.3, [&](double t) {
    const double tone = std::sin(2 * M_PI * 185 * t) * std::exp(-t * 30);
    const double n = bp.Process(noise.White()) * std::exp(-t * 18);
    return static_cast<float>(0.5 * tone + 0.9 * n);
  });
}

Signal HiHat(Random& rng, bool open) {
  Noise noise(rng);
  Biquad hp, peak;
  hp.SetHighpass(7000, 0.7);
  peak.SetPeaking(10000, 2.0, 6);
  const double decay = open ? 6.0 : 40.0;
  return Render(open ? 0.6 : 0.12, [&](double t) {
    return static_cast<float>(0.6 * peak.Process(hp.Process(noise.White())) * std::exp(-t * decay));
  });
}

Signal Crash(Random& rng, double seconds) {
  Noise noise(rng);
  Biquad hp, peak;
  hp.SetHighpass(3000, 0.6);
  peak.SetPeaking(6000, 1.0, 5);
  // A few inharmonic partials give the metal a pitch-less ring.
  return Render(seconds, [&](double t) {
    double ring = 0;
    for (double f : {3120.0, 4375.0, 5210.0, 6830.0}) ring += std::sin(2 * M_PI * f * t);
    const double x = peak.Process(hp.Process(noise.White())) + 0.05 * ring;
    return static_cast<float>(0.3 * x * std::exp(-t * 3.0 / seconds) * std::min(1.0, t / 0.002));
  });
}

Signal Tom(double hz) {
  double phase = 0;
  return Render(0.5, [&](double t) {
    phase += hz * (1 + 0.5 * std::exp(-t * 20)) * kDt;
    return static_cast<float>(std::sin(2 * M_PI * phase) * std::exp(-t * 7));
  });
}

Signal Timpani(Random& rng, double hz, double seconds) {
  Noise noise(rng);
  Biquad bp;
  bp.SetBandpass(hz * 2, 2);
  return Render(seconds, [&](double t) {
    const double f = hz * (1 + 0.04 * std::exp(-t * 10));
    const double x = std::sin(2 * M_PI * f * t) +
                     0.5 * std::sin(2 * M_PI * f * 1.5 * t) * std::exp(-t * 4) +
                     0.3 * std::sin(2 * M_PI * f * 1.99 * t) * std::exp(-t * 3);
    const double hit = bp.Process(noise.White()) * std::exp(-t * 40);
    return static_cast<float>(0.7 * (x * std::exp(-t * 2.5 / seconds * 2) + hit));
  });
}

Signal Gong(Random& rng, double hz, double seconds) {
  const std::array<double, 7> ratios = {1.0, 1.47, 2.09, 2.56, 3.12, 3.9, 4.7};
  std::array<double, 7> phase{};
  for (auto& p : phase) p = rng.Uniform();
  return Render(seconds, [&](double t) {
    double x = 0;
    for (std::size_t k = 0; k < ratios.size(); ++k) {
      const double bloom = std::min(1.0, t / (0.05 + 0.1 * k));
      x += std::sin(2 * M_PI * (hz * ratios[k] * t + phase[k])) * bloom / (1 + 0.4 * k);
    }
    return static_cast<float>(0.35 * x * std::exp(-t * 2.5 / seconds));
  });
}

Signal WoodBlock(double hz) {
  return Render(0.15, [&](double t) {
    return static_cast<float>(
        (std::sin(2 * M_PI * hz * t) + 0.3 * std::sin(2 * M_PI * hz * 2.7 * t)) *
        std::exp(-t * 45));
  });
}

Signal Taiko(Random& rng) {
  Noise noise(rng);
  Biquad lp;
  lp.SetLowpass(900, 0.7);
  double phase = 0;
  return Render(1.0, [&](double t) {
    phase += (62 + 40 * std::exp(-t * 15)) * kDt;
    const double body = std::sin(2 * M_PI * phase) * std::exp(-t * 4.5);
    const double skin = lp.Process(noise.White()) * std::exp(-t * 25);
    return static_cast<float>(0.9 * body + 0.8 * skin);
  });
}

Signal Riser(Random& rng, double seconds) {
  Noise noise(rng);
  Biquad bp;
  Signal out(ToSamples(seconds));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double a = static_cast<double>(i) / static_cast<double>(out.size());
    if (i % 32 == 0) bp.SetBandpass(300 * std::pow(20.0, a), 2.0);
    out[i] = static_cast<float>(bp.Process(noise.White()) * a * a * 1.5);
  }
  return out;
}

void PlayNotes(Signal& out, const std::vector<Note>& notes, double seconds_per_beat,
               const NoteInstrument& instrument, float gain, double offset_seconds) {
  for (const Note& n : notes) {
    const Signal s = instrument(MidiToHz(n.midi), n.beats * seconds_per_beat);
    MixInto(out, s, offset_seconds + n.beat * seconds_per_beat, gain * n.level);
  }
}

std::vector<Note> ChordNotes(double beat, double beats, std::initializer_list<double> midis,
                             float level) {
  std::vector<Note> out;
  for (double m : midis) out.push_back({beat, beats, m, level});
  return out;
}

}  // namespace kalvor::soundgen
