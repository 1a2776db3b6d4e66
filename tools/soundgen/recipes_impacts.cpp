// Weapons, blows, breaking glass and the household sounds; rain and thunder.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/soundgen/biquad.h"
#include "tools/soundgen/noise.h"
#include "tools/soundgen/oscillator.h"
#include "tools/soundgen/recipes.h"
#include "tools/soundgen/reverb.h"

namespace kalvor::soundgen {
namespace {

struct Partial {
  double hz, decay_per_second, level;
};

// A small struck object: a set of decaying partials and a touch of noise.
Signal Ring(Random& rng, const std::vector<Partial>& partials, double seconds, double noise_level) {
  Noise noise(rng);
  Biquad hp;
  hp.SetHighpass(2000, 0.7);
  std::vector<double> phase;
  for (std::size_t k = 0; k < partials.size(); ++k) phase.push_back(rng.Uniform());
  return Render(seconds, [&](double t) {
    double x = 0;
    for (std::size_t k = 0; k < partials.size(); ++k) {
      x += partials[k].level * std::exp(-t * partials[k].decay_per_second) *
           std::sin(2 * M_PI * (partials[k].hz * t + phase[k]));
    }
    x += noise_level * hp.Process(noise.White()) * std::exp(-t * 200);
    return static_cast<float>(x * std::min(1.0, t / 0.0005));
  });
}

// A metallic click of a gun's mechanism.
Signal MechClick(Random& rng, double pitch, double weight) {
  Signal s = Ring(rng,
                  {{1800 * pitch, 60, 0.4 * weight},
                   {3300 * pitch, 80, 0.5},
                   {5200 * pitch, 120, 0.4},
                   {7400 * pitch, 150, 0.3}},
                  0.12, 1.2);
  return s;
}

Signal Thump(double from_hz, double to_hz, double decay, double seconds) {
  double phase = 0;
  return Render(seconds, [&](double t) {
    phase += (to_hz + (from_hz - to_hz) * std::exp(-t * 30)) * kDt;
    return static_cast<float>(std::sin(2 * M_PI * phase) * std::exp(-t * decay) *
                              std::min(1.0, t / 0.002));
  });
}

Signal Casing(Random& rng) {
  // A spent shell bouncing on the ground: three pings, closer together each time.
  Signal s;
  double at = 0, gap = 0.12, level = 1.0;
  for (int k = 0; k < 4; ++k) {
    const double f = rng.Range(5200, 6200);
    MixInto(s, Ring(rng, {{f, 40, 0.5}, {f * 1.6, 60, 0.3}, {f * 2.3, 90, 0.2}}, 0.25, 0.2), at,
            static_cast<float>(level));
    at += gap;
    gap *= 0.6;
    level *= 0.6;
  }
  return s;
}

Signal Outdoor(const Signal& s, double room, float wet, double tail) {
  Reverb r(room, 0.5);
  return r.Process(s, 1.0f, wet, tail, 0.01);
}

}  // namespace

Signal Gunshot(Random& rng, double size) {
  Noise noise(rng);
  Biquad blast_lp, crack_hp;
  blast_lp.SetLowpass(2500 + 1500 / size, 0.7);
  crack_hp.SetHighpass(1500, 0.7);
  const double len = 0.25 + 0.25 * size;
  Signal s = Render(len, [&](double t) {
    const double n = noise.White();
    const double crack = crack_hp.Process(static_cast<float>(n)) * std::exp(-t * 400) * 1.2;
    const double blast = blast_lp.Process(static_cast<float>(n)) * std::exp(-t * 30 / size) * 1.6;
    return static_cast<float>(crack + blast);
  });
  MixInto(s, Thump(160, 50, 14 / size, len), 0.0, static_cast<float>(0.8 * std::min(1.5, size)));
  Saturate(s, 2.5f);
  return s;
}

Signal Whoosh(Random& rng, double seconds, double from_hz, double to_hz) {
  Noise noise(rng);
  Biquad bp;
  Signal s(ToSamples(seconds));
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(s.size());
    if (i % 32 == 0) bp.SetBandpass(from_hz * std::pow(to_hz / from_hz, x), 1.5);
    const double env = std::pow(std::sin(M_PI * std::min(1.0, x / 1.4 + 0.0) * 1.4 / 1.4), 2) *
                       (x < 0.7 ? x / 0.7 : (1 - x) / 0.3);
    s[i] = static_cast<float>(bp.Process(noise.White()) * env * 2.0);
  }
  return s;
}

namespace impacts {

Signal Pistol(RecipeContext& ctx) {
  Signal s;
  for (double at : {0.05, 1.5}) {
    MixInto(s, Gunshot(ctx.rng, 1.0), at);
    MixInto(s, Casing(ctx.rng), at + 0.5, 0.08f);
  }
  PadTo(s, 2.6);
  return Outdoor(s, 0.55, 0.35f, 0.8);
}

Signal MachineGun(RecipeContext& ctx) {
  // Two bursts at about 12 rounds a second, brass raining down behind them.
  Signal s;
  for (auto [start, rounds] : {std::pair{0.05, 20}, std::pair{2.35, 14}}) {
    for (int k = 0; k < rounds; ++k) {
      const double at = start + k / 12.0 + 0.004 * ctx.rng.Gauss();
      MixInto(s, Gunshot(ctx.rng, 0.75), at, static_cast<float>(ctx.rng.Range(0.8, 1.0)));
      if (ctx.rng.Chance(0.4)) MixInto(s, Casing(ctx.rng), at + ctx.rng.Range(0.3, 0.6), 0.04f);
    }
  }
  return Outdoor(s, 0.6, 0.3f, 0.8);
}

Signal Sniper(RecipeContext& ctx) {
  // One heavy shot rolling away in echoes across a valley, then the bolt is worked.
  Signal shot = Gunshot(ctx.rng, 2.0);
  Signal s = Outdoor(shot, 0.8, 0.45f, 1.5);
  Signal echoes;
  for (auto [delay, level] :
       {std::pair{0.38, 0.45}, std::pair{0.85, 0.3}, std::pair{1.45, 0.2}, std::pair{2.1, 0.12}}) {
    Signal e = shot;
    Biquad lp;
    lp.SetLowpass(1800 / (1 + delay), 0.7);
    lp.ProcessInPlace(e);
    MixInto(echoes, e, delay, static_cast<float>(level));
  }
  Reverb valley(0.9, 0.6);
  MixInto(s, valley.Process(echoes, 1.0f, 0.5f, 1.0), 0.0);
  MixInto(s, MechClick(ctx.rng, 0.8, 1.0), 3.6, 0.4f);
  MixInto(s, MechClick(ctx.rng, 1.0, 0.6), 3.85, 0.35f);
  MixInto(s, MechClick(ctx.rng, 0.9, 1.0), 4.25, 0.4f);
  MixInto(s, MechClick(ctx.rng, 0.7, 1.2), 4.45, 0.5f);
  PadTo(s, 5.2);
  return s;
}

Signal Reload(RecipeContext& ctx) {
  // Magazine out, magazine in, then the slide racked back and released.
  Signal s;
  MixInto(s, MechClick(ctx.rng, 1.1, 0.6), 0.1, 0.5f);
  Signal scrape = Whoosh(ctx.rng, 0.25, 3000, 5000);
  MixInto(s, scrape, 0.14, 0.08f);
  MixInto(s, MechClick(ctx.rng, 0.8, 1.0), 0.75, 0.6f);
  MixInto(s, Thump(300, 150, 40, 0.1), 0.75, 0.4f);
  MixInto(s, MechClick(ctx.rng, 0.9, 0.8), 0.8, 0.7f);
  MixInto(s, Whoosh(ctx.rng, 0.12, 2500, 6000), 1.3, 0.1f);
  MixInto(s, MechClick(ctx.rng, 1.0, 0.8), 1.42, 0.7f);
  MixInto(s, MechClick(ctx.rng, 0.75, 1.2), 1.6, 0.9f);
  MixInto(s, Thump(250, 120, 35, 0.12), 1.6, 0.5f);
  PadTo(s, 2.2);
  Reverb room(0.25, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

Signal Punches(RecipeContext& ctx) {
  Signal s;
  double at = 0.05;
  for (double gap : {0.0, 0.55, 0.45, 0.8}) {
    at += gap;
    MixInto(s, Whoosh(ctx.rng, 0.18, 300, 1500), at, 0.15f);
    Signal hit = Thump(120, 55, 18, 0.3);
    Signal smack = Ring(ctx.rng, {}, 0.06, 0.0);
    Noise noise(ctx.rng);
    Biquad bp;
    bp.SetBandpass(ctx.rng.Range(1100, 1800), 1.0);
    Signal slap = Render(0.08, [&](double t) {
      return static_cast<float>(bp.Process(noise.White()) * std::exp(-t * 70) * 2.0);
    });
    MixInto(hit, slap, 0.0, 0.7f);
    Saturate(hit, 2.0f);
    MixInto(s, hit, at + 0.17);
  }
  PadTo(s, 2.6);
  Reverb room(0.35, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

Signal SwordStab(RecipeContext& ctx) {
  // The blade drawn with a ringing "shing", a swing, and a stab.
  Signal s = Whoosh(ctx.rng, 0.35, 2000, 6000);
  ScaleToActiveRms(s, 0.1);
  Signal ring =
      Ring(ctx.rng, {{2480, 3, 0.3}, {3950, 4, 0.25}, {5630, 5, 0.2}, {7810, 7, 0.15}}, 1.6, 0.1);
  MixInto(s, ring, 0.3, 0.8f);
  MixInto(s, Whoosh(ctx.rng, 0.3, 300, 2200), 1.6, 0.3f);
  Signal stab = Thump(140, 60, 20, 0.25);
  Noise noise(ctx.rng);
  Biquad wet;
  wet.SetBandpass(700, 2);
  Signal squelch = Render(0.2, [&](double t) {
    return static_cast<float>(wet.Process(noise.White()) * std::exp(-t * 18) * 1.5);
  });
  MixInto(stab, squelch, 0.0, 0.6f);
  MixInto(s, stab, 1.9);
  PadTo(s, 2.7);
  Reverb room(0.4, 0.5);
  return room.Process(s, 1.0f, 0.25f, 0.4);
}

Signal GlassSmash(RecipeContext& ctx) {
  // The impact, a crash of shards, then pieces tinkling down.
  Signal s = Thump(180, 70, 25, 0.3);
  Noise noise(ctx.rng);
  Biquad hp;
  hp.SetHighpass(2500, 0.7);
  Signal crash = Render(0.9, [&](double t) {
    return static_cast<float>(hp.Process(noise.White()) * std::exp(-t * 7) * 1.2);
  });
  MixInto(s, crash, 0.0);
  for (int k = 0; k < 90; ++k) {
    const double at = -std::log(1 - ctx.rng.Uniform() * 0.98) * 0.35;
    const double f = ctx.rng.Range(2500, 9000);
    Signal shard = Ring(ctx.rng,
                        {{f, ctx.rng.Range(20, 50), 0.4},
                         {f * ctx.rng.Range(1.3, 1.9), 60, 0.3},
                         {f * ctx.rng.Range(2.1, 2.9), 90, 0.2}},
                        0.2, 0.5);
    MixInto(s, shard, at, static_cast<float>(ctx.rng.Range(0.1, 0.4) * std::exp(-at * 0.8)));
  }
  PadTo(s, 2.8);
  Reverb room(0.45, 0.4);
  return room.Process(s, 1.0f, 0.3f, 0.5);
}

Signal Knocking(RecipeContext& ctx) {
  // Knuckles on a wooden door: three knocks, a wait, then three harder ones.
  auto knock = [&](double force) {
    Signal k = Ring(ctx.rng, {{185, 28, 0.9}, {410, 40, 0.6}, {720, 60, 0.4}, {1150, 90, 0.25}},
                    0.25, 0.6);
    Saturate(k, static_cast<float>(1.0 + force));
    return k;
  };
  Signal s;
  for (double at : {0.05, 0.27, 0.49}) MixInto(s, knock(0.5), at, 0.7f);
  for (double at : {1.75, 1.95, 2.15}) MixInto(s, knock(1.5), at, 1.0f);
  PadTo(s, 2.8);
  Reverb hallway(0.4, 0.5);
  return hallway.Process(s, 1.0f, 0.3f, 0.4);
}

Signal PouringWater(RecipeContext& ctx) {
  // Water into a glass: splashing noise and bubbles over a resonance that rises as the
  // glass fills.
  const double len = 5.0;
  Noise noise(ctx.rng);
  Biquad splash, cavity;
  splash.SetBandpass(2500, 0.8);
  Signal s(ToSamples(len));
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    if (i % 32 == 0) cavity.SetBandpass(380 * std::pow(4.0, t / len), 12);
    const double n = noise.White();
    const double flow = 0.6 + 0.4 * std::sin(t * 23) * std::sin(t * 7.1);
    s[i] = static_cast<float>((0.35 * splash.Process(static_cast<float>(n)) +
                               2.2 * cavity.Process(static_cast<float>(n))) *
                              flow);
  }
  for (double at = 0.05; at < len - 0.3; at += ctx.rng.Range(0.01, 0.05)) {
    const double f0 = ctx.rng.Range(500, 1600) * (1 + at / len);
    Signal bubble = Render(0.04, [&](double t) {
      return static_cast<float>(std::sin(2 * M_PI * f0 * (1 + 8 * t) * t) * std::exp(-t * 90));
    });
    MixInto(s, bubble, at, static_cast<float>(ctx.rng.Range(0.02, 0.1)));
  }
  ApplyEnvelope(s, {{0, 0}, {0.15, 1}, {len - 0.4, 1}, {len, 0}});
  return s;
}

Signal Coins(RecipeContext& ctx) {
  // Coins dropped on a table: a ring, a few bounces, and one spinning down.
  auto clink = [&](double pitch) {
    return Ring(ctx.rng,
                {{4300 * pitch, 6, 0.5},
                 {7150 * pitch, 9, 0.35},
                 {9800 * pitch, 12, 0.25},
                 {12600 * pitch, 16, 0.15}},
                0.7, 0.3);
  };
  Signal s;
  for (int c = 0; c < 5; ++c) {
    const double pitch = ctx.rng.Range(0.85, 1.15);
    double at = 0.05 + c * ctx.rng.Range(0.12, 0.3), gap = ctx.rng.Range(0.15, 0.25), level = 1.0;
    for (int b = 0; b < 4; ++b) {
      MixInto(s, clink(pitch), at, static_cast<float>(level * 0.5));
      at += gap;
      gap *= 0.55;
      level *= 0.5;
    }
  }
  // The last coin spins, rattling faster and faster until it lies flat.
  double at = 1.6, rate = 9;
  while (rate < 70 && at < 3.9) {
    MixInto(s, clink(1.05), at, static_cast<float>(0.25 * (1.0 - rate / 90)));
    at += 1.0 / rate;
    rate *= 1.07;
  }
  PadTo(s, 4.6);
  return s;
}

Signal BeerCap(RecipeContext& ctx) {
  // The hiss of gas, the cap flicked onto the table, and the fizz settling.
  Noise noise(ctx.rng);
  Biquad hp;
  hp.SetHighpass(2200, 0.7);
  Signal s = Render(0.35, [&](double t) {
    return static_cast<float>(hp.Process(noise.White()) * std::min(1.0, t / 0.003) *
                              std::exp(-t * 9));
  });
  MixInto(s, Thump(400, 200, 60, 0.05), 0.0, 0.4f);
  for (auto [at, level] : {std::pair{0.45, 0.5}, std::pair{0.58, 0.3}, std::pair{0.66, 0.15}}) {
    MixInto(s, Ring(ctx.rng, {{3100, 25, 0.5}, {5200, 35, 0.35}, {7900, 50, 0.2}}, 0.3, 0.4), at,
            static_cast<float>(level));
  }
  Biquad fizz_hp;
  fizz_hp.SetHighpass(3500, 0.7);
  Signal fizz(ToSamples(3.0), 0.0f);
  for (std::size_t i = 0; i < fizz.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double density = 0.008 * std::exp(-t * 0.9);
    if (ctx.rng.Chance(density)) fizz[i] = static_cast<float>(ctx.rng.Bipolar());
    fizz[i] =
        fizz_hp.Process(fizz[i] + static_cast<float>(0.03 * noise.White() * std::exp(-t * 1.2)));
  }
  MixInto(s, fizz, 0.2, 0.35f);
  return s;
}

Signal ToiletFlush(RecipeContext& ctx) {
  // The lever, a swirling rush, a gurgle as the bowl empties, then the tank refilling.
  Noise noise(ctx.rng);
  Signal s = Ring(ctx.rng, {{900, 50, 0.5}, {2100, 70, 0.4}}, 0.1, 0.5);
  Biquad swirl, body;
  body.SetLowpass(3000, 0.7);
  Signal rush(ToSamples(4.2));
  for (std::size_t i = 0; i < rush.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    if (i % 64 == 0) swirl.SetBandpass(600 + 350 * std::sin(t * 2 * M_PI * 0.8), 1.5);
    const double n = noise.White();
    rush[i] = static_cast<float>(body.Process(static_cast<float>(n)) * 0.5 +
                                 swirl.Process(static_cast<float>(n)) * 1.2);
  }
  ApplyEnvelope(rush, {{0, 0}, {0.5, 1}, {2.6, 1}, {4.2, 0}});
  MixInto(s, rush, 0.25);
  for (double at = 3.0; at < 4.6; at += ctx.rng.Range(0.05, 0.15)) {
    const double f0 = ctx.rng.Range(180, 450);
    Signal glug = Render(0.09, [&](double t) {
      return static_cast<float>(std::sin(2 * M_PI * f0 * (1 + 4 * t) * t) * std::exp(-t * 35));
    });
    MixInto(s, glug, at, static_cast<float>(ctx.rng.Range(0.1, 0.3)));
  }
  Biquad refill_bp;
  refill_bp.SetBandpass(4200, 2.0);
  Signal refill = Render(2.6, [&](double t) {
    return static_cast<float>(refill_bp.Process(noise.White()) * std::min(1.0, t / 0.4) * 0.6);
  });
  ApplyEnvelope(refill, {{0, 0}, {0.4, 1}, {2.0, 1}, {2.6, 0}});
  MixInto(s, refill, 4.3, 0.3f);
  Reverb bathroom(0.4, 0.2);
  return bathroom.Process(s, 1.0f, 0.35f, 0.4);
}

Signal Typing(RecipeContext& ctx) {
  // Someone typing in bursts: light key clicks and a heavier space bar now and then.
  Signal s;
  double at = 0.05;
  int since_space = 0;
  while (at < 4.6) {
    const bool space = since_space > 3 && ctx.rng.Chance(0.25);
    const double pitch = space ? 0.6 : ctx.rng.Range(0.9, 1.2);
    Signal key = Ring(
        ctx.rng,
        {{2400 * pitch, 120, 0.4}, {3900 * pitch, 160, 0.3}, {620 * pitch, 70, space ? 0.6 : 0.3}},
        0.08, 0.8);
    MixInto(s, key, at, static_cast<float>(space ? 0.9 : ctx.rng.Range(0.5, 0.8)));
    // The key bottoming out a moment later.
    MixInto(s, Thump(500 * pitch, 300 * pitch, 80, 0.04), at + 0.012, 0.15f);
    since_space = space ? 0 : since_space + 1;
    at += ctx.rng.Chance(0.08) ? ctx.rng.Range(0.35, 0.6) : ctx.rng.Range(0.07, 0.16);
  }
  Reverb room(0.2, 0.5);
  return room.Process(s, 1.0f, 0.15f, 0.2);
}

Signal HeavyRain(RecipeContext& ctx) {
  // A downpour: a wash of noise, countless small drops, some heavy splashes, and a
  // distant roll of thunder.
  const double len = 7.5;
  Noise noise(ctx.rng);
  Biquad wash_lp, wash_hp, drops_hp;
  wash_lp.SetLowpass(7000, 0.7);
  wash_hp.SetHighpass(300, 0.7);
  drops_hp.SetHighpass(2500, 0.7);
  Signal s(ToSamples(len));
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double wash = wash_hp.Process(wash_lp.Process(noise.Pink())) * 1.2;
    const double drop = ctx.rng.Chance(0.03) ? ctx.rng.Bipolar() : 0.0;
    s[i] = static_cast<float>(wash + drops_hp.Process(static_cast<float>(drop)) * 0.8);
  }
  for (double at = 0.0; at < len; at += ctx.rng.Range(0.03, 0.12)) {
    const double f0 = ctx.rng.Range(900, 2800);
    Signal plip = Render(0.05, [&](double t) {
      return static_cast<float>(std::sin(2 * M_PI * f0 * (1 + 3 * t) * t) * std::exp(-t * 80));
    });
    MixInto(s, plip, at, static_cast<float>(ctx.rng.Range(0.03, 0.12)));
  }
  Biquad rumble_lp;
  rumble_lp.SetLowpass(120, 0.7);
  Signal rumble = Render(3.5, [&](double t) {
    return static_cast<float>(rumble_lp.Process(noise.Brown()) * std::sin(M_PI * t / 3.5) * 6);
  });
  MixInto(s, rumble, 3.2);
  Trim(s, len);
  ApplyEnvelope(s, {{0, 0}, {0.8, 1}, {len - 0.8, 1}, {len, 0}});
  return s;
}

Signal Thunder(RecipeContext& ctx) {
  // A close strike: the crack with crackle, then a long rumble rolling in swells.
  Noise noise(ctx.rng);
  Biquad crack_hp;
  crack_hp.SetHighpass(1200, 0.7);
  Signal s = Render(0.6, [&](double t) {
    const double crackle = ctx.rng.Chance(0.02) ? ctx.rng.Bipolar() * 3 : 0.0;
    return static_cast<float>(crack_hp.Process(static_cast<float>(noise.White() + crackle)) *
                              std::exp(-t * 6) * 0.9);
  });
  Biquad lp1, lp2;
  lp1.SetLowpass(350, 0.7);
  lp2.SetLowpass(350, 0.7);
  double swell = 0;
  Signal rumble(ToSamples(7.2));
  for (std::size_t i = 0; i < rumble.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    if (i % 512 == 0) swell = 0.9 * swell + 0.1 * std::fabs(ctx.rng.Gauss()) * 2;
    const double env = std::min(1.0, t / 0.08) * std::exp(-t * 0.45) *
                       (0.6 + 0.4 * std::sin(t * 2.3) * std::sin(t * 0.9 + 1));
    rumble[i] =
        static_cast<float>(lp2.Process(lp1.Process(noise.Brown())) * env * (0.5 + swell) * 8);
  }
  MixInto(s, rumble, 0.05);
  Saturate(s, 1.3f);
  return Outdoor(s, 0.9, 0.3f, 0.4);
}

}  // namespace impacts
}  // namespace kalvor::soundgen
