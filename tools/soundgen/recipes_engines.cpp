// Engines and tyres: motorbike, tractor, helicopter, starting a car, brakes, drifting.
#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/soundgen/biquad.h"
#include "tools/soundgen/noise.h"
#include "tools/soundgen/oscillator.h"
#include "tools/soundgen/recipes.h"
#include "tools/soundgen/reverb.h"

namespace kalvor::soundgen {
namespace {

struct EngineVoice {
  double cylinders = 2;          // firings per crank turn = cylinders / 2
  double exhaust_hz = 140;       // main exhaust resonance
  double exhaust_hz2 = 520;      // second resonance
  double roughness = 0.25;       // firing-to-firing level spread
  double pulse_fraction = 0.35;  // pulse length as a share of the firing period
  double clatter = 0.15;         // valve and mechanical noise
};

// A combustion engine: each firing sends a decaying pressure pulse into the exhaust,
// whose resonances colour it; the rpm curve drives the firing rate.
Signal Engine(Random& rng, double seconds, const std::function<double(double)>& rpm_at,
              const EngineVoice& v) {
  Noise noise(rng);
  Biquad ex1, ex2, lp, clatter_hp;
  ex1.SetBandpass(v.exhaust_hz, 2.0);
  ex2.SetBandpass(v.exhaust_hz2, 3.0);
  clatter_hp.SetHighpass(2500, 0.7);
  double phase = 0, pulse = 0, level = 1;
  Signal out(ToSamples(seconds));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double rpm = std::max(1.0, rpm_at(t));
    const double fire_hz = rpm / 60.0 * v.cylinders / 2.0;
    phase += fire_hz * kDt;
    if (phase >= 1.0) {
      phase -= 1.0;
      level = std::max(0.1, 1.0 + v.roughness * rng.Gauss());
      pulse = level;
    }
    const double decay = std::exp(-kDt * fire_hz / v.pulse_fraction * 3.0);
    pulse *= decay;
    if (i % 64 == 0) lp.SetLowpass(std::min(9000.0, 600 + fire_hz * 25), 0.7);
    const double excite = pulse * (0.7 + 0.6 * noise.White());
    const double body = ex1.Process(static_cast<float>(excite)) * 2.5 +
                        ex2.Process(static_cast<float>(excite)) * 1.2 + excite * 0.3;
    const double mech = clatter_hp.Process(noise.White()) * v.clatter * (0.03 + pulse);
    out[i] = lp.Process(static_cast<float>(body)) + static_cast<float>(mech);
  }
  Saturate(out, 1.5f);
  return out;
}

// A squealing tyre: narrow noise bands and a wavering tone near 1.5-2.5 kHz.
Signal TyreSqueal(Random& rng, double seconds, const std::function<double(double)>& hz_at,
                  const std::function<double(double)>& level_at) {
  Noise noise(rng);
  Oscillator tone, tone2;
  Biquad band1, band2, hiss;
  hiss.SetBandpass(3500, 0.8);
  double wobble = 0;
  Signal out(ToSamples(seconds));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    if (i % 32 == 0) {
      wobble = wobble * 0.9 + 0.1 * rng.Gauss();
      const double hz = hz_at(t) * (1 + 0.02 * wobble);
      band1.SetBandpass(hz, 30);
      band2.SetBandpass(hz * 2.02, 25);
    }
    const double hz = hz_at(t) * (1 + 0.02 * wobble);
    const double n = noise.White();
    const double x = 3.0 * band1.Process(static_cast<float>(n)) +
                     1.5 * band2.Process(static_cast<float>(n)) + 0.25 * tone.Sine(hz) +
                     0.08 * tone2.Sine(hz * 3) + 0.15 * hiss.Process(static_cast<float>(n));
    out[i] = static_cast<float>(x * level_at(t));
  }
  return out;
}

double Ramp(double t, double t0, double t1, double a, double b) {
  if (t <= t0) return a;
  if (t >= t1) return b;
  const double x = (t - t0) / (t1 - t0);
  return a + (b - a) * x * x * (3 - 2 * x);
}

}  // namespace

namespace engines {

Signal Motorbike(RecipeContext& ctx) {
  // Idle, two revs in place, then pulls away through two gears and fades off.
  auto rpm = [](double t) {
    if (t < 1.0) return 1300 + 60 * std::sin(t * 9);
    if (t < 1.5) return Ramp(t, 1.0, 1.25, 1300, 6500) - (t > 1.25 ? (t - 1.25) * 18000 : 0);
    if (t < 2.3)
      return Ramp(t, 1.7, 1.95, 1400, 7800) - (t > 1.95 ? Ramp(t, 1.95, 2.3, 0, 6300) : 0);
    if (t < 4.3) return Ramp(t, 2.4, 4.2, 1600, 8500);
    return Ramp(t, 4.3, 4.45, 8500, 5600) + Ramp(t, 4.45, 6.6, 0, 3200);
  };
  EngineVoice v;
  v.cylinders = 2;
  v.exhaust_hz = 160;
  v.exhaust_hz2 = 650;
  v.roughness = 0.2;
  Signal s = Engine(ctx.rng, 6.8, rpm, v);
  ApplyEnvelope(s, {{0, 0.7}, {1.0, 0.7}, {1.2, 1.0}, {4.3, 1.0}, {6.8, 0.15}});
  Reverb street(0.5, 0.5);
  return street.Process(s, 1.0f, 0.2f, 0.5);
}

Signal Tractor(RecipeContext& ctx) {
  // A slow single-cylinder diesel: the lazy "tuk-tuk-tuk", with a stronger throttle
  // burst in the middle.
  auto rpm = [](double t) {
    return 900 + 40 * std::sin(t * 2.3) + Ramp(t, 2.5, 3.2, 0, 450) - Ramp(t, 4.6, 5.5, 0, 450);
  };
  EngineVoice v;
  v.cylinders = 2;  // one firing per turn: about 15 a second
  v.exhaust_hz = 85;
  v.exhaust_hz2 = 330;
  v.roughness = 0.35;
  v.pulse_fraction = 0.25;
  v.clatter = 0.2;
  Signal s = Engine(ctx.rng, 7.2, rpm, v);
  ApplyEnvelope(s, {{0, 0.8}, {2.5, 0.85}, {3.2, 1.0}, {4.8, 1.0}, {5.8, 0.85}, {7.2, 0.8}});
  Reverb farm(0.4, 0.6);
  return farm.Process(s, 1.0f, 0.2f, 0.4);
}

Signal Helicopter(RecipeContext& ctx) {
  // Blade slaps about 17 times a second over a turbine whine and the tail rotor's
  // buzz, flying closer and then passing away.
  Noise noise(ctx.rng);
  Oscillator whine, whine2, tail;
  Biquad slap_lp, rumble_lp, air;
  rumble_lp.SetLowpass(180, 0.7);
  air.SetBandpass(800, 0.6);
  double slap = 0, phase = 0;
  Signal s(ToSamples(7.4));
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    const double near = t < 4.2 ? Ramp(t, 0, 4.2, 0.25, 1.0) : Ramp(t, 4.2, 7.4, 1.0, 0.2);
    const double doppler = t < 4.2 ? 1.03 : 0.97;
    phase += 17.0 * doppler * kDt;
    if (phase >= 1.0) {
      phase -= 1.0;
      slap = 1.0 + 0.1 * ctx.rng.Gauss();
    }
    slap *= std::exp(-kDt * 70);
    if (i % 64 == 0) slap_lp.SetLowpass(500 + 2500 * near, 0.8);
    const double n = noise.White();
    const double blades = slap_lp.Process(static_cast<float>(n * slap)) * 2.2 +
                          std::sin(2 * M_PI * 17 * doppler * t) * slap * 0.6;
    const double turbine = 0.04 * whine.Sine(3900 * doppler) + 0.02 * whine2.Sine(7800 * doppler);
    const double tail_rotor = 0.08 * tail.Saw(95 * doppler);
    const double wash =
        0.5 * air.Process(static_cast<float>(n)) + 1.2 * rumble_lp.Process(static_cast<float>(n));
    s[i] = static_cast<float>(near * (blades + turbine * near + tail_rotor) + 0.5 * near * wash);
  }
  Reverb sky(0.7, 0.6);
  return sky.Process(s, 1.0f, 0.15f, 0.4);
}

Signal StartingCar(RecipeContext& ctx) {
  // The starter motor whirrs with the compression strokes (about 4 a second)...
  Oscillator starter;
  Noise noise(ctx.rng);
  Biquad starter_bp;
  starter_bp.SetBandpass(900, 1.5);
  Signal crank = Render(1.6, [&](double t) {
    const double comp = 0.55 + 0.45 * std::pow(std::fabs(std::sin(M_PI * 4.3 * t)), 0.6);
    const double hz = 190 * (0.85 + 0.15 * comp);
    return static_cast<float>(comp *
                              (0.35 * starter.Saw(hz) + 0.25 * starter_bp.Process(noise.White())));
  });
  ApplyEnvelope(crank, {{0, 0}, {0.05, 1}, {1.5, 1}, {1.6, 0}});
  // ...then the engine catches, revs once and settles to idle.
  auto rpm = [](double t) {
    if (t < 0.3) return 300 + t * 2500;
    if (t < 0.9) return Ramp(t, 0.3, 0.7, 1050, 2900);
    return Ramp(t, 0.9, 2.2, 2900, 850) + 25 * std::sin(t * 7);
  };
  EngineVoice v;
  v.cylinders = 4;
  v.exhaust_hz = 110;
  v.exhaust_hz2 = 420;
  v.roughness = 0.18;
  v.clatter = 0.1;
  Signal engine = Engine(ctx.rng, 4.8, rpm, v);
  ApplyEnvelope(engine, {{0, 0}, {0.15, 0.9}, {0.7, 1}, {2.2, 0.65}, {4.3, 0.6}, {4.8, 0}});
  Signal s = crank;
  MixInto(s, engine, 1.45, 1.0f);
  Reverb garage(0.35, 0.5);
  return garage.Process(s, 1.0f, 0.25f, 0.3);
}

Signal BrakeScreech(RecipeContext& ctx) {
  // Tyres lock and squeal, dropping in pitch as the car slows, then a short stop.
  Signal s = TyreSqueal(
      ctx.rng, 2.6, [](double t) { return 2100 - 380 * t; },
      [](double t) {
        return std::min(1.0, t / 0.05) * (t < 2.3 ? 1.0 - 0.2 * t / 2.3 : (2.6 - t) / 0.3 * 0.8);
      });
  // Road rumble under the skid.
  Noise noise(ctx.rng);
  Biquad lp;
  lp.SetLowpass(300, 0.7);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    s[i] += static_cast<float>(0.8 * lp.Process(noise.White()) * std::max(0.0, 1 - t / 2.6));
  }
  Reverb street(0.5, 0.4);
  return street.Process(s, 1.0f, 0.3f, 0.8);
}

Signal Drifting(RecipeContext& ctx) {
  // Engine screaming at high revs while the tyres squeal, swaying with the slide.
  auto rpm = [](double t) {
    return 5200 + 900 * std::sin(t * 1.7) + 400 * std::sin(t * 5.1) + Ramp(t, 0, 0.6, -2500, 0);
  };
  EngineVoice v;
  v.cylinders = 4;
  v.exhaust_hz = 180;
  v.exhaust_hz2 = 700;
  v.roughness = 0.12;
  Signal s = Engine(ctx.rng, 6.2, rpm, v);
  Scale(s, 0.6f);
  Signal squeal = TyreSqueal(
      ctx.rng, 5.4,
      [](double t) { return 1800 + 300 * std::sin(t * 2.1) + 120 * std::sin(t * 6.3); },
      [](double t) {
        return std::min(1.0, t / 0.3) * (0.75 + 0.25 * std::sin(t * 3.3)) *
               std::min(1.0, (5.4 - t) / 0.6);
      });
  MixInto(s, squeal, 0.5, 0.9f);
  ApplyEnvelope(s, {{0, 0.8}, {0.6, 1}, {5.4, 1}, {6.2, 0.3}});
  Reverb lot(0.6, 0.4);
  return lot.Process(s, 1.0f, 0.25f, 0.6);
}

}  // namespace engines
}  // namespace kalvor::soundgen
