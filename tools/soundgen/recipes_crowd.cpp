// Applause, cheering and laughter, alone and in crowds.
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

enum class Sound { kSilent, kAspirate, kVowel, kInhale };

struct Segment {
  double start, end;
  Sound sound;
  double f0_from, f0_to;
  char vowel;
};

// Laughter as a plan of segments: per breath, "h" + vowel syllables with the pitch
// sinking, then a noisy in-breath before the next one.
std::vector<Segment> PlanLaugh(Random& rng, const LaughStyle& st, int breaths) {
  std::vector<Segment> plan;
  double t = 0.02;
  for (int b = 0; b < breaths; ++b) {
    const int count = std::max(2, st.syllables + rng.Int(3) - 1);
    const double lift = 1.0 + 0.08 * rng.Gauss();
    for (int k = 0; k < count; ++k) {
      const double period = 1.0 / (st.syllable_rate * (1 + 0.08 * rng.Gauss()));
      const double f0 = st.f0 * lift * (1.0 - st.pitch_fall * k / count) * (1 + 0.04 * rng.Gauss());
      const double h = period * 0.28, v = period * 0.5;
      plan.push_back({t, t + h, Sound::kAspirate, f0, f0, st.vowel});
      plan.push_back({t + h, t + h + v, Sound::kVowel, f0 * 1.04, f0 * 0.94, st.vowel});
      t += period;
    }
    if (b + 1 < breaths) {
      const double in = rng.Range(0.25, 0.4);
      plan.push_back({t + 0.05, t + 0.05 + in, Sound::kInhale, st.f0 * 1.3, st.f0 * 1.5, 'i'});
      t += in + rng.Range(0.12, 0.25);
    }
  }
  plan.push_back({t, t + 0.2, Sound::kSilent, 0, 0, 'a'});
  return plan;
}

Signal SpeakPlan(Random& rng, const std::vector<Segment>& plan, double formant_scale,
                 double breathiness, double jitter = 0.02) {
  FormantVoice voice(rng, jitter, 0.12);
  std::size_t cursor = 0;
  return voice.Render(plan.back().end, [&](double t) {
    while (cursor + 1 < plan.size() && t >= plan[cursor].end) ++cursor;
    const Segment& s = plan[cursor];
    VoiceFrame f;
    f.formant_scale = formant_scale;
    f.formants = VowelFormants(s.vowel);
    const double len = std::max(1e-3, s.end - s.start);
    const double x = std::clamp((t - s.start) / len, 0.0, 1.0);
    f.f0 = s.f0_from + (s.f0_to - s.f0_from) * x;
    if (f.f0 <= 0) f.f0 = 100;
    const double edge = std::sin(M_PI * x);  // soft on and off
    f.voicing = 0;
    f.breath = 0;
    switch (s.sound) {
      case Sound::kAspirate:
        f.breath = 0.9 * edge;
        break;
      case Sound::kVowel:
        f.voicing = std::pow(edge, 0.5);
        f.breath = breathiness * edge;
        break;
      case Sound::kInhale:
        f.breath = 0.45 * edge;
        f.voicing = 0.1 * edge;
        f.bandwidth = 1.6;
        break;
      case Sound::kSilent:
        break;
    }
    return f;
  });
}

// One cheering voice: "yeah!" or "woo!", rising then falling.
Signal Cheer(Random& rng, bool woman) {
  const double f0 = woman ? rng.Range(330, 480) : rng.Range(170, 260);
  const double len = rng.Range(0.6, 1.3);
  const bool woo = rng.Chance(0.5);
  FormantVoice voice(rng, 0.025, 0.15);
  Signal s = voice.Render(len, [&](double t) {
    const double x = t / len;
    VoiceFrame f;
    f.formant_scale = woman ? 1.17 : 1.0;
    f.formants = woo ? Blend(VowelFormants('u'), VowelFormants('o'), std::min(1.0, x * 2))
                     : Blend(VowelFormants('i'), VowelFormants('y'), std::min(1.0, x * 4));
    f.f0 = f0 * (1.0 + 0.25 * std::sin(M_PI * std::min(1.0, x * 1.4)));
    f.voicing = std::min(1.0, x / 0.08) * std::min(1.0, (1 - x) / 0.3);
    f.breath = 0.35 * f.voicing;
    return f;
  });
  return s;
}

// A finger whistle at a fan's enthusiasm.
Signal FanWhistle(Random& rng) {
  const double base = rng.Range(2200, 3000);
  const double len = rng.Range(0.5, 1.0);
  Oscillator osc;
  Noise noise(rng);
  Signal s = Render(len, [&](double t) {
    const double x = t / len;
    const double hz = base * (1.0 + 0.15 * std::sin(M_PI * x) - 0.1 * x);
    return static_cast<float>((osc.Sine(hz) + 0.1 * noise.White()) * std::min(1.0, x / 0.05) *
                              std::min(1.0, (1 - x) / 0.2));
  });
  return s;
}

// Many people clapping: each keeps a steady, slightly drifting rate.
Signal ClappingCrowd(Random& rng, int people, double seconds, double rate_lo, double rate_hi) {
  Signal out(ToSamples(seconds), 0.0f);
  for (int p = 0; p < people; ++p) {
    const double rate = rng.Range(rate_lo, rate_hi);
    const double level = rng.Range(0.25, 1.0);
    const double brightness = rng.Uniform();
    double t = rng.Range(0.0, 0.5) + (rng.Chance(0.3) ? rng.Range(0.0, 0.8) : 0.0);
    const double stop = seconds - rng.Range(0.0, 1.5);
    while (t < stop) {
      MixInto(out, Clap(rng, brightness), t, static_cast<float>(level * rng.Range(0.7, 1.0)));
      t += (1.0 / rate) * (1.0 + 0.06 * rng.Gauss());
    }
  }
  return out;
}

Signal LaughingCrowd(Random& rng, int people, double seconds, double spread) {
  Signal out;
  for (int p = 0; p < people; ++p) {
    LaughStyle st;
    const int kind = rng.Int(3);  // man, woman, higher-voiced woman
    st.f0 = kind == 0 ? rng.Range(110, 160) : rng.Range(210, 300);
    st.formant_scale = kind == 0 ? 1.0 : 1.17;
    st.vowel = "aaey"[rng.Int(4)];
    st.syllable_rate = rng.Range(4.2, 6.0);
    st.syllables = 4 + rng.Int(4);
    st.breathiness = rng.Range(0.15, 0.4);
    Signal l = Laugh(rng, st, 1 + rng.Int(3));
    ScaleToActiveRms(l, rng.Range(0.3, 1.0));
    MixInto(out, l, rng.Range(0.0, spread));
  }
  Trim(out, seconds);
  return out;
}

}  // namespace

Signal Clap(Random& rng, double brightness) {
  Noise noise(rng);
  Biquad bp, hp;
  bp.SetBandpass(900 + 1600 * brightness + rng.Range(-150, 150), rng.Range(1.2, 2.5));
  hp.SetHighpass(400, 0.7);
  const double decay = rng.Range(90, 160);
  return Render(0.07, [&](double t) {
    const double env = std::min(1.0, t / 0.0008) * std::exp(-t * decay);
    const double echo = t > 0.011 ? 0.3 * std::exp(-(t - 0.011) * decay) : 0.0;
    return hp.Process(bp.Process(static_cast<float>(noise.White() * (env + echo) * 3.0)));
  });
}

Signal Laugh(Random& rng, const LaughStyle& style, int breaths) {
  return SpeakPlan(rng, PlanLaugh(rng, style, breaths), style.formant_scale, style.breathiness);
}

namespace crowd {

Signal CheeringApplause(RecipeContext& ctx) {
  Signal s = ClappingCrowd(ctx.rng, 60, 6.6, 3.2, 5.2);
  Signal cheers;
  for (int k = 0; k < 22; ++k) {
    Signal c = Cheer(ctx.rng, ctx.rng.Chance(0.45));
    ScaleToActiveRms(c, ctx.rng.Range(0.02, 0.07));
    MixInto(cheers, c, ctx.rng.Range(0.1, 4.8));
  }
  for (int k = 0; k < 4; ++k) {
    MixInto(cheers, FanWhistle(ctx.rng), ctx.rng.Range(0.4, 4.5), 0.05f);
  }
  MixInto(s, cheers, 0.0);
  ApplyEnvelope(s, {{0, 0.2}, {0.5, 1}, {4.8, 1}, {6.6, 0}});
  Reverb hall(0.75, 0.4);
  return hall.Process(s, 1.0f, 0.35f, 0.6);
}

Signal WildApplause(RecipeContext& ctx) {
  // A dense, fast ovation: more people, clapping harder and faster.
  Signal s = ClappingCrowd(ctx.rng, 110, 6.8, 4.5, 6.5);
  Signal cheers;
  for (int k = 0; k < 10; ++k) {
    Signal c = Cheer(ctx.rng, ctx.rng.Chance(0.5));
    ScaleToActiveRms(c, ctx.rng.Range(0.02, 0.05));
    MixInto(cheers, c, ctx.rng.Range(0.5, 5.0));
  }
  MixInto(s, cheers, 0.0);
  ApplyEnvelope(s, {{0, 0.3}, {0.3, 1}, {5.3, 1}, {6.8, 0}});
  Reverb hall(0.8, 0.35);
  return hall.Process(s, 1.0f, 0.35f, 0.6);
}

Signal GroupLaughter(RecipeContext& ctx) {
  Signal s = LaughingCrowd(ctx.rng, 6, 6.0, 1.2);
  Reverb room(0.4, 0.5);
  return room.Process(s, 1.0f, 0.25f, 0.4);
}

Signal AudienceLaughter(RecipeContext& ctx) {
  // A studio audience: many voices, a swell and a tail, with some clapping.
  Signal s = LaughingCrowd(ctx.rng, 28, 6.0, 1.0);
  Signal claps = ClappingCrowd(ctx.rng, 10, 3.5, 3.5, 5.0);
  MixInto(s, claps, 0.9, 0.25f);
  ApplyEnvelope(s, {{0, 0.5}, {0.5, 1}, {3.5, 1}, {6.0, 0.0}});
  Reverb hall(0.7, 0.5);
  return hall.Process(s, 1.0f, 0.4f, 0.6);
}

Signal FansScreaming(RecipeContext& ctx) {
  // Excited fans: high, rough "aaah!" screams overlapping, with whistles.
  Signal s;
  for (int k = 0; k < 9; ++k) {
    const double len = ctx.rng.Range(1.4, 3.2);
    const double f0 = ctx.rng.Range(650, 1050);
    const double vib = ctx.rng.Range(5.0, 7.0);
    FormantVoice voice(ctx.rng, 0.03, 0.2);
    Signal v = voice.Render(len, [&](double t) {
      const double x = t / len;
      VoiceFrame f;
      f.formant_scale = 1.25;
      f.formants = Blend(VowelFormants('y'), VowelFormants('a'), std::min(1.0, x * 3));
      f.bandwidth = 1.8;
      f.f0 = f0 * (0.9 + 0.15 * std::min(1.0, x * 5)) * (1 + 0.02 * std::sin(2 * M_PI * vib * t));
      f.voicing = std::min(1.0, x / 0.05) * std::min(1.0, (1 - x) / 0.25);
      f.breath = 0.5 * f.voicing;
      return f;
    });
    ScaleToActiveRms(v, ctx.rng.Range(0.4, 1.0));
    MixInto(s, v, k < 3 ? ctx.rng.Range(0.0, 0.3) : ctx.rng.Range(0.2, 3.5));
  }
  for (int k = 0; k < 3; ++k) MixInto(s, FanWhistle(ctx.rng), ctx.rng.Range(0.5, 4.0), 0.3f);
  Signal claps = ClappingCrowd(ctx.rng, 20, 5.5, 4.0, 6.0);
  MixInto(s, claps, 0.3, 0.4f);
  Reverb hall(0.8, 0.4);
  return hall.Process(s, 1.0f, 0.35f, 0.6);
}

Signal ChildLaugh(RecipeContext& ctx) {
  LaughStyle st;
  st.f0 = 330;
  st.formant_scale = 1.32;
  st.syllable_rate = 6.0;
  st.syllables = 7;
  st.pitch_fall = 0.2;
  st.breathiness = 0.3;
  Signal s = Laugh(ctx.rng, st, 3);
  Reverb room(0.3, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

Signal BabyLaugh(RecipeContext& ctx) {
  // Slow, breathy "ah-ha-ha" giggles with squeals in between.
  LaughStyle st;
  st.f0 = 420;
  st.formant_scale = 1.55;
  st.syllable_rate = 4.2;
  st.syllables = 4;
  st.pitch_fall = 0.1;
  st.breathiness = 0.45;
  Signal s = Laugh(ctx.rng, st, 2);
  FormantVoice voice(ctx.rng, 0.02, 0.1);
  Signal squeal = voice.Render(0.45, [](double t) {
    VoiceFrame f;
    f.formant_scale = 1.55;
    f.formants = VowelFormants('i');
    f.f0 = 520 + 280 * std::sin(M_PI * t / 0.45);
    f.voicing = std::sin(M_PI * t / 0.45);
    f.breath = 0.3 * f.voicing;
    return f;
  });
  ScaleToActiveRms(s, 0.2);
  ScaleToActiveRms(squeal, 0.15);
  Signal out = s;
  Append(out, squeal, 0.15);
  Signal more = Laugh(ctx.rng, st, 1);
  ScaleToActiveRms(more, 0.2);
  Append(out, more, 0.2);
  Reverb room(0.3, 0.5);
  return room.Process(out, 1.0f, 0.2f, 0.3);
}

Signal EvilLaugh(RecipeContext& ctx) {
  // "Mwa-ha-ha-ha-haaa": deep and slow, in a big stone hall.
  LaughStyle st;
  st.f0 = 105;
  st.formant_scale = 0.92;
  st.syllable_rate = 3.6;
  st.syllables = 6;
  st.pitch_fall = 0.3;
  st.breathiness = 0.2;
  std::vector<Segment> plan = PlanLaugh(ctx.rng, st, 2);
  // The opening "mwa": a nasal hum sliding into the vowel.
  for (auto& seg : plan) seg.start += 0.45, seg.end += 0.45;
  plan.insert(plan.begin(), {{0.02, 0.2, Sound::kVowel, 115, 125, 'n'},
                             {0.2, 0.47, Sound::kVowel, 135, 120, 'a'}});
  Signal s = SpeakPlan(ctx.rng, plan, st.formant_scale, st.breathiness);
  Reverb hall(0.9, 0.3);
  return hall.Process(s, 1.0f, 0.55f, 1.2, 0.02);
}

Signal SlyLaugh(RecipeContext& ctx) {
  // A snicker: quick, breathy "heh-heh-heh" through the nose.
  LaughStyle st;
  st.f0 = 165;
  st.formant_scale = 1.0;
  st.vowel = 'e';
  st.syllable_rate = 7.5;
  st.syllables = 5;
  st.pitch_fall = 0.12;
  st.breathiness = 0.6;
  Signal s = Laugh(ctx.rng, st, 3);
  Biquad nasal;
  nasal.SetPeaking(2200, 2.0, 6);
  nasal.ProcessInPlace(s);
  Reverb room(0.3, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.3);
}

Signal HeartyLaugh(RecipeContext& ctx) {
  // A big belly laugh, "HA HA HA!", rising at the start of each breath, with a wheeze.
  LaughStyle st;
  st.f0 = 165;
  st.formant_scale = 1.0;
  st.syllable_rate = 4.6;
  st.syllables = 6;
  st.pitch_fall = 0.35;
  st.breathiness = 0.2;
  Signal s = Laugh(ctx.rng, st, 3);
  Saturate(s, 1.3f);
  Reverb room(0.45, 0.5);
  return room.Process(s, 1.0f, 0.25f, 0.4);
}

}  // namespace crowd
}  // namespace kalvor::soundgen
