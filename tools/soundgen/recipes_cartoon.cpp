// Cartoon effects for the joke buttons: boing, slide whistle, sad trombone, cuckoo,
// rimshot, bulb horn, falling whistle and a getaway.
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

Signal Spring(double hz, double seconds) {
  // A sprung "boing": the pitch wobbles fast and the wobble dies away.
  Oscillator a, b;
  return Render(seconds, [&](double t) {
    const double wobble = 1 + 0.45 * std::exp(-t * 4) * std::sin(2 * M_PI * 14 * t);
    const double f = hz * wobble * (1 + 0.15 * std::exp(-t * 10));
    return static_cast<float>((0.6 * a.Sine(f) + 0.25 * b.Triangle(f * 2)) * std::exp(-t * 2.2) *
                              std::min({1.0, t / 0.003, (seconds - t) / 0.2}));
  });
}

Signal Whistle(Random& rng, double seconds, const std::function<double(double)>& hz_at) {
  Oscillator osc;
  Noise noise(rng);
  Biquad breath;
  Signal s(ToSamples(seconds));
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double hz = hz_at(t) * (1 + 0.008 * std::sin(2 * M_PI * 6 * t));
    if (i % 32 == 0) breath.SetBandpass(hz, 6);
    s[i] = static_cast<float>(0.5 * osc.Sine(hz) + 0.6 * breath.Process(noise.White()));
  }
  return s;
}

Signal Squeak(double hz, double seconds) {
  Oscillator osc;
  return Render(seconds, [&](double t) {
    const double f =
        hz * (1 + 0.25 * std::sin(M_PI * t / seconds)) * (1 + 0.03 * std::sin(2 * M_PI * 40 * t));
    return static_cast<float>(0.4 * osc.Square(f, 0.3) * std::sin(M_PI * t / seconds));
  });
}

Signal Room(const Signal& s) {
  Reverb r(0.3, 0.5);
  return r.Process(s, 1.0f, 0.15f, 0.3);
}

}  // namespace

namespace cartoon {

Signal Boing(RecipeContext&) {
  Signal s = Spring(170, 1.2);
  MixInto(s, Spring(230, 1.0), 0.9, 0.8f);
  MixInto(s, Spring(300, 0.9), 1.6, 0.7f);
  return Room(s);
}

Signal SlideWhistle(RecipeContext& ctx) {
  Signal s = Whistle(ctx.rng, 2.8, [](double t) {
    if (t < 0.9) return 500 * std::pow(3.6, t / 0.9);
    if (t < 1.8) return 1800 * std::pow(1 / 3.6, (t - 0.9) / 0.9);
    return 500 * std::pow(4.0, (t - 1.8) / 0.4 > 1 ? 1.0 : (t - 1.8) / 0.4);
  });
  ApplyEnvelope(s, {{0, 0}, {0.05, 1}, {1.75, 1}, {1.8, 0.2}, {1.85, 1}, {2.6, 1}, {2.8, 0}});
  return Room(s);
}

Signal SadTrombone(RecipeContext&) {
  // "Wah, wah, wah, waaah": four falling notes through an opening and closing mute.
  Signal s;
  const double notes[] = {55, 54, 53, 52};
  double at = 0.05;
  for (int k = 0; k < 4; ++k) {
    const double len = k < 3 ? 0.55 : 1.8;
    Signal n = BrassNote(MidiToHz(notes[k]), len);
    Biquad wah;
    for (std::size_t i = 0; i < n.size(); ++i) {
      const double t = static_cast<double>(i) * kDt;
      const double open =
          k < 3 ? std::sin(M_PI * std::min(1.0, t / len)) : 0.5 + 0.5 * std::sin(2 * M_PI * 4 * t);
      const double vibrato_depth = k == 3 ? 1.0 : 0.0;
      if (i % 32 == 0) wah.SetBandpass(450 + 1200 * open * (1 - 0.3 * vibrato_depth * 0), 2.5);
      n[i] = wah.Process(n[i]) * 2.0f;
    }
    MixInto(s, n, at);
    at += len + 0.08;
  }
  return Room(s);
}

Signal Cuckoo(RecipeContext& ctx) {
  // A cuckoo clock striking three: two flute notes a third apart, and the tick.
  Signal s;
  auto flute = [&](double midi, double len) {
    return Whistle(ctx.rng, len, [midi](double) { return MidiToHz(midi); });
  };
  for (int k = 0; k < 3; ++k) {
    const double at = 0.3 + k * 0.9;
    Signal hi = flute(76, 0.22), lo = flute(72, 0.35);
    ApplyEnvelope(hi, {{0, 0}, {0.02, 1}, {0.18, 1}, {0.22, 0}});
    ApplyEnvelope(lo, {{0, 0}, {0.02, 1}, {0.25, 0.8}, {0.35, 0}});
    MixInto(s, hi, at);
    MixInto(s, lo, at + 0.27);
  }
  const Signal tick = WoodBlock(2200);
  for (double at = 0.0; at < 3.4; at += 0.5) MixInto(s, tick, at, 0.12f);
  return Room(s);
}

Signal Rimshot(RecipeContext& ctx) {
  // "Ba-dum-tss": snare, tom, then the cymbal.
  Signal s;
  MixInto(s, Snare(ctx.rng), 0.05, 0.8f);
  MixInto(s, Tom(110), 0.3, 1.0f);
  MixInto(s, Kick(1.0), 0.3, 0.6f);
  MixInto(s, Crash(ctx.rng, 1.2), 0.62, 0.5f);
  MixInto(s, HiHat(ctx.rng, true), 0.62, 0.4f);
  PadTo(s, 2.2);
  return Room(s);
}

Signal ClownHorn(RecipeContext&) {
  // A squeezed bulb horn, "honk honk", and a squeaky toy.
  auto honk = [](double len) {
    Oscillator osc;
    Biquad f1, f2;
    f1.SetPeaking(900, 2, 12);
    f2.SetPeaking(2400, 3, 9);
    Signal h = Render(len, [&](double t) {
      const double hz =
          340 * (1 + 0.12 * std::min(1.0, t / 0.08)) * (1 + 0.02 * std::sin(2 * M_PI * 30 * t));
      return f2.Process(f1.Process(static_cast<float>(0.2 * osc.Saw(hz))));
    });
    ApplyEnvelope(h, {{0, 0}, {0.03, 1}, {len - 0.05, 1}, {len, 0}});
    return h;
  };
  Signal s;
  MixInto(s, honk(0.28), 0.05);
  MixInto(s, honk(0.4), 0.45);
  MixInto(s, Squeak(1700, 0.18), 1.25, 0.6f);
  MixInto(s, Squeak(1900, 0.22), 1.5, 0.6f);
  PadTo(s, 2.2);
  return Room(s);
}

Signal FallAndBonk(RecipeContext& ctx) {
  // The long falling whistle, a bonk on the head, and a wobbly spring.
  Signal s = Whistle(ctx.rng, 1.7, [](double t) { return 2200 * std::pow(0.16, t / 1.7); });
  ApplyEnvelope(s, {{0, 0}, {0.1, 1}, {1.6, 1}, {1.7, 0}});
  Signal bonk = WoodBlock(420);
  MixInto(bonk, Tom(140), 0.0, 0.8f);
  MixInto(s, bonk, 1.72, 1.2f);
  MixInto(s, Spring(260, 1.1), 1.8, 0.6f);
  return Room(s);
}

Signal RunAway(RecipeContext& ctx) {
  // Legs spinning up on a xylophone, then zipping off with a whoosh and a pop.
  Signal s;
  double at = 0.05, gap = 0.16;
  bool high = false;
  while (at < 1.6) {
    MixInto(s, MalletNote(MidiToHz(high ? 79 : 74), 0.1), at, 0.6f);
    high = !high;
    at += gap;
    gap = std::max(0.05, gap * 0.9);
  }
  Signal zip = Whistle(ctx.rng, 0.6, [](double t) { return 400 * std::pow(8.0, t / 0.6); });
  ApplyEnvelope(zip, {{0, 0}, {0.05, 1}, {0.5, 0.8}, {0.6, 0}});
  MixInto(s, zip, 1.7);
  MixInto(s, Whoosh(ctx.rng, 0.5, 500, 5000), 1.75, 0.6f);
  MixInto(s, BellNote(MidiToHz(91), 0.3, 2.0, 1.5), 2.35, 0.4f);
  PadTo(s, 3.0);
  return Room(s);
}

}  // namespace cartoon
}  // namespace kalvor::soundgen
