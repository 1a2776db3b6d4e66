// Jingles, intros and music cues. Every tune here is written for this board; the
// styles are borrowed (a TV news theme, a chiptune fanfare, a folk tune) but the
// melodies are our own.
#include <cmath>
#include <vector>

#include "tools/soundgen/biquad.h"
#include "tools/soundgen/formant_voice.h"
#include "tools/soundgen/instruments.h"
#include "tools/soundgen/noise.h"
#include "tools/soundgen/oscillator.h"
#include "tools/soundgen/recipes.h"
#include "tools/soundgen/reverb.h"

namespace kalvor::soundgen {
namespace {

Signal Hall(const Signal& s, double room, float wet, double tail) {
  Reverb r(room, 0.45);
  return r.Process(s, 1.0f, wet, tail, 0.015);
}

// Drum hits at the given beats.
void Hits(Signal& out, const Signal& hit, std::initializer_list<double> beats, double spb,
          float gain, double offset = 0.0) {
  for (double b : beats) MixInto(out, hit, offset + b * spb, gain);
}

std::vector<Note> Melody(std::initializer_list<std::pair<double, double>> midi_and_beats,
                         double start_beat = 0.0, float level = 1.0f) {
  std::vector<Note> out;
  double beat = start_beat;
  for (auto [midi, beats] : midi_and_beats) {
    if (midi > 0) out.push_back({beat, beats * 0.92, midi, level});
    beat += beats;
  }
  return out;
}

std::vector<Note> Join(std::initializer_list<std::vector<Note>> parts) {
  std::vector<Note> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// One singer of a choir on a syllable plan: (vowel, beats) at a pitch.
Signal ChoirVoice(Random& rng, double midi, const std::vector<std::pair<char, double>>& syllables,
                  double spb, double formant_scale) {
  double total = 0;
  for (auto& s : syllables) total += s.second;
  const double len = total * spb + 0.3;
  const double hz = MidiToHz(midi) * (1 + 0.004 * rng.Gauss());
  const double vib_rate = rng.Range(4.8, 5.8);
  FormantVoice voice(rng, 0.006, 0.04);
  return voice.Render(len, [&](double t) {
    double at = 0;
    std::size_t k = 0;
    while (k + 1 < syllables.size() && t >= (at + syllables[k].second) * spb) {
      at += syllables[k].second;
      ++k;
    }
    const double into = t - at * spb;
    VoiceFrame f;
    f.formant_scale = formant_scale;
    const char prev = k > 0 ? syllables[k - 1].first : syllables[0].first;
    f.formants =
        Blend(VowelFormants(prev), VowelFormants(syllables[k].first), std::min(1.0, into / 0.08));
    f.f0 = hz * (1 + 0.012 * std::sin(2 * M_PI * vib_rate * t) * std::min(1.0, t / 0.4));
    const double consonant = into < 0.05 && k > 0 ? 0.4 : 1.0;  // a dip for each new syllable
    f.voicing = std::min(1.0, t / 0.08) * std::min(1.0, (len - t) / 0.3) * consonant;
    f.breath = 0.12;
    return f;
  });
}

}  // namespace

namespace music {

Signal McDrumBeat(RecipeContext& ctx) {
  // Four bars of a pounding four-on-the-floor beat with a bass line, for shouting over.
  const double spb = 60.0 / 132;
  Signal s;
  const Signal kick = Kick(1.2), snare = Snare(ctx.rng), hat = HiHat(ctx.rng, false),
               open = HiHat(ctx.rng, true);
  for (int bar = 0; bar < 4; ++bar) {
    const double b0 = bar * 4;
    Hits(s, kick, {b0, b0 + 1, b0 + 2, b0 + 3}, spb, 1.0f);
    Hits(s, snare, {b0 + 1, b0 + 3}, spb, 0.6f);
    Hits(s, hat, {b0 + 0.5, b0 + 1.5, b0 + 2.5}, spb, 0.35f);
    Hits(s, open, {b0 + 3.5}, spb, 0.3f);
    if (bar == 3) Hits(s, snare, {b0 + 3.25, b0 + 3.5, b0 + 3.75}, spb, 0.5f);
  }
  const std::vector<Note> bass = Join(
      {Melody(
           {{33, 0.5}, {0, 0.5}, {33, 0.5}, {45, 0.5}, {33, 0.5}, {0, 0.5}, {36, 0.5}, {38, 0.5}},
           0),
       Melody(
           {{33, 0.5}, {0, 0.5}, {33, 0.5}, {45, 0.5}, {31, 0.5}, {0, 0.5}, {31, 0.5}, {43, 0.5}},
           4),
       Melody(
           {{29, 0.5}, {0, 0.5}, {29, 0.5}, {41, 0.5}, {29, 0.5}, {0, 0.5}, {31, 0.5}, {33, 0.5}},
           8),
       Melody({{28, 0.5}, {0, 0.5}, {28, 0.5}, {40, 0.5}, {28, 1.0}, {0, 1.0}}, 12)});
  PlayNotes(s, bass, spb, SynthBassNote, 0.6f);
  Saturate(s, 1.2f);
  return Hall(s, 0.3, 0.12f, 0.3);
}

Signal SongClimax(RecipeContext& ctx) {
  // A power-ballad chorus: big drums, strings and piano under a soaring lead.
  const double spb = 60.0 / 116;
  Signal s;
  const std::vector<std::vector<double>> chords = {
      {57, 61, 64}, {54, 57, 61}, {50, 54, 57}, {52, 56, 59}};
  const std::vector<double> roots = {45, 42, 38, 40};
  for (int c = 0; c < 4; ++c) {
    const double b = c * 3.5;
    for (double m : chords[static_cast<std::size_t>(c)]) {
      PlayNotes(s, {{b, 3.5, m + 12, 1.0f}}, spb, StringsNote, 0.18f);
      PlayNotes(s, {{b, 0.5, m, 1.0f}, {b + 1.5, 0.5, m, 0.8f}, {b + 2.5, 0.5, m + 12, 0.7f}}, spb,
                PianoNote, 0.15f);
    }
    PlayNotes(s,
              {{b, 1.5, roots[static_cast<std::size_t>(c)], 1.0f},
               {b + 1.75, 1.5, roots[static_cast<std::size_t>(c)], 0.9f}},
              spb, SynthBassNote, 0.35f);
    Hits(s, Kick(1.0), {b, b + 1.75}, spb, 0.7f);
    Hits(s, Snare(ctx.rng), {b + 1, b + 2.75}, spb, 0.45f);
  }
  MixInto(s, Crash(ctx.rng, 2.5), 0.0, 0.3f);
  const std::vector<Note> lead = Melody({{76, 1.0},
                                         {78, 0.5},
                                         {80, 1.0},
                                         {78, 0.5},
                                         {76, 0.5},
                                         {73, 1.5},
                                         {71, 0.5},
                                         {73, 1.0},
                                         {74, 1.0},
                                         {76, 1.5},
                                         {69, 1.0},
                                         {71, 2.5}});
  PlayNotes(s, lead, spb, BrassNote, 0.3f);
  return Hall(s, 0.6, 0.3f, 0.8);
}

Signal FolkPiggyback(RecipeContext& ctx) {
  // A jaunty village tune on a reedy horn, with wood block, small drum and cymbal.
  const double spb = 60.0 / 150;
  Signal s;
  const std::vector<Note> tune = Melody(
      {{67, 0.5}, {69, 0.5}, {72, 1.0}, {69, 0.5}, {67, 0.5}, {64, 1.0}, {62, 0.5}, {64, 0.5},
       {67, 0.5}, {69, 0.5}, {67, 2.0}, {72, 0.5}, {74, 0.5}, {76, 1.0}, {74, 0.5}, {72, 0.5},
       {69, 1.0}, {67, 0.5}, {69, 0.5}, {64, 0.5}, {62, 0.5}, {60, 2.0}});
  PlayNotes(s, tune, spb, ReedNote, 0.5f);
  const Signal block = WoodBlock(1400), drum = Tom(180);
  for (int b = 0; b < 16; ++b) {
    MixInto(s, block, b * spb, 0.25f);
    MixInto(s, drum, (b + 0.5) * spb, b % 2 ? 0.2f : 0.3f);
  }
  MixInto(s, Crash(ctx.rng, 1.5), 15 * spb, 0.3f);
  MixInto(s, Gong(ctx.rng, 110, 2.0), 16 * spb, 0.3f);
  PlayNotes(s,
            Melody({{48, 1},
                    {55, 1},
                    {48, 1},
                    {55, 1},
                    {53, 1},
                    {55, 1},
                    {48, 2},
                    {53, 1},
                    {48, 1},
                    {53, 1},
                    {55, 1},
                    {48, 1},
                    {43, 1},
                    {48, 2}}),
            spb, TriangleNote, 0.25f);
  return Hall(s, 0.4, 0.2f, 0.6);
}

Signal Hallelujah(RecipeContext& ctx) {
  // A choir on "ha-le-lu-jah" over an organ, I - IV - I, in a church.
  const double spb = 60.0 / 80;
  const std::vector<std::pair<char, double>> words = {
      {'a', 0.5}, {'e', 0.5}, {'u', 1.0}, {'a', 3.0}};
  Signal s;
  struct VoicePart {
    std::vector<double> midis;  // per syllable
    double formant_scale;
  };
  const std::vector<VoicePart> voices = {{{72, 72, 72, 76}, 1.2},
                                         {{67, 69, 67, 67}, 1.18},
                                         {{64, 65, 64, 64}, 1.05},
                                         {{48, 53, 48, 48}, 1.0}};
  for (const VoicePart& voice : voices) {
    for (int singer = 0; singer < 3; ++singer) {
      double beat = 0;
      for (std::size_t k = 0; k < words.size(); ++k) {
        Signal v = ChoirVoice(ctx.rng, voice.midis[k], {{words[k].first, words[k].second}}, spb,
                              voice.formant_scale);
        FadeIn(v, 0.05);
        MixInto(s, v, beat * spb + 0.01 * singer, 0.4f);
        beat += words[k].second;
      }
    }
  }
  PlayNotes(s,
            Join({ChordNotes(0, 1, {48, 60, 64, 67}), ChordNotes(1, 1, {53, 60, 65, 69}),
                  ChordNotes(2, 3, {48, 60, 64, 67, 72})}),
            spb, OrganNote, 0.12f);
  return Hall(s, 0.95, 0.45f, 1.5);
}

Signal Humour1(RecipeContext& ctx) {
  // An "oom-pah" comic stroll: tuba-ish bass, plucked chords, a xylophone tune.
  const double spb = 60.0 / 140;
  Signal s;
  PlayNotes(s,
            Melody({{41, 1},
                    {48, 1},
                    {41, 1},
                    {48, 1},
                    {43, 1},
                    {50, 1},
                    {36, 1},
                    {48, 1},
                    {41, 1},
                    {48, 1},
                    {41, 1},
                    {40, 1},
                    {41, 2}}),
            spb, BrassNote, 0.35f);
  for (int b = 0; b < 12; ++b) {
    PlayNotes(
        s, ChordNotes(b + 0.5, 0.3, {57, 60, 65}), spb,
        [&](double hz, double sec) { return PluckNote(ctx.rng, hz, sec); }, 0.15f);
  }
  PlayNotes(s,
            Melody({{77, 0.5},
                    {76, 0.5},
                    {77, 0.5},
                    {81, 0.5},
                    {84, 1.0},
                    {81, 1.0},
                    {79, 0.5},
                    {78, 0.5},
                    {79, 0.5},
                    {82, 0.5},
                    {84, 1.0},
                    {79, 1.0},
                    {77, 0.5},
                    {79, 0.5},
                    {81, 0.5},
                    {77, 0.5},
                    {72, 0.5},
                    {76, 0.5},
                    {77, 1.0}}),
            spb, MalletNote, 0.35f);
  return Hall(s, 0.3, 0.15f, 0.4);
}

Signal Humour2(RecipeContext& ctx) {
  // Tiptoeing: sneaky staccato plucks in a minor key, ending on a surprised chord.
  const double spb = 60.0 / 120;
  Signal s;
  auto pluck = [&](double hz, double sec) { return PluckNote(ctx.rng, hz, std::min(sec, 0.15)); };
  PlayNotes(s, Melody({{57, 0.5},  {0, 0.5},   {60, 0.5},  {0, 0.5},   {64, 0.5},  {63, 0.5},
                       {64, 0.5},  {0, 0.5},   {57, 0.5},  {0, 0.5},   {60, 0.5},  {0, 0.5},
                       {64, 0.5},  {65, 0.5},  {66, 0.5},  {67, 0.5},  {69, 0.25}, {68, 0.25},
                       {67, 0.25}, {66, 0.25}, {65, 0.25}, {64, 0.25}, {63, 0.25}, {62, 0.25}}),
            spb, pluck, 0.5f);
  PlayNotes(
      s, Melody({{45, 1}, {52, 1}, {45, 1}, {52, 1}, {45, 1}, {52, 1}, {47, 1}, {49, 1}}), spb,
      [&](double hz, double sec) { return PluckNote(ctx.rng, hz, std::min(sec, 0.2)); }, 0.4f);
  PlayNotes(s, ChordNotes(10, 1.5, {57, 61, 64, 69}), spb, BrassNote, 0.25f);
  MixInto(s, Crash(ctx.rng, 1.0), 10 * spb, 0.15f);
  return Hall(s, 0.3, 0.15f, 0.4);
}

Signal Humour3(RecipeContext&) {
  // A bar-room piano romp, slightly out of tune, with a slide whistle at the end.
  const double spb = 60.0 / 150;
  Signal s;
  auto honky = [](double hz, double sec) {
    Signal a = PianoNote(hz, sec);
    MixInto(a, PianoNote(hz * 1.006, sec), 0.0, 0.7f);
    return a;
  };
  for (int bar = 0; bar < 3; ++bar) {
    const double b = bar * 4;
    const double root = bar == 1 ? 53 : 48;
    PlayNotes(s, {{b, 0.5, root - 12}, {b + 2, 0.5, root - 5}}, spb, honky, 0.3f);
    PlayNotes(s,
              Join({ChordNotes(b + 1, 0.4, {root + 4, root + 7, root + 12}),
                    ChordNotes(b + 3, 0.4, {root + 4, root + 7, root + 12})}),
              spb, honky, 0.15f);
  }
  PlayNotes(s,
            Melody({{72, 0.5},
                    {74, 0.5},
                    {75, 0.5},
                    {76, 1.0},
                    {72, 0.5},
                    {76, 0.5},
                    {72, 0.5},
                    {77, 0.5},
                    {76, 0.5},
                    {77, 0.5},
                    {81, 1.0},
                    {77, 1.0},
                    {79, 0.5},
                    {76, 0.5},
                    {72, 1.5}}),
            spb, honky, 0.3f);
  Oscillator osc;
  Signal slide = Render(1.0, [&](double t) {
    return static_cast<float>(0.3 *
                              osc.Sine(700 * std::pow(3.0, t) * (1 + 0.01 * std::sin(t * 40))) *
                              std::min(1.0, std::min(t / 0.05, (1 - t) / 0.1)));
  });
  MixInto(s, slide, 12 * spb + 0.1);
  return Hall(s, 0.3, 0.15f, 0.4);
}

Signal SpookyWisps(RecipeContext& ctx) {
  // Will-o'-the-wisps: a low dissonant drone, a wavering ghostly sine, a broken music
  // box and wind.
  Signal s;
  for (double m : {38.0, 39.0, 45.0}) PlayNotes(s, {{0, 7.0, m}}, 1.0, StringsNote, 0.15f);
  Oscillator theremin;
  Signal glide = Render(7.0, [&](double t) {
    const double hz = 600 + 250 * std::sin(t * 0.9) + 120 * std::sin(t * 2.3);
    return static_cast<float>(0.25 * theremin.Sine(hz * (1 + 0.015 * std::sin(2 * M_PI * 6 * t))) *
                              std::min(1.0, t / 1.0) * std::min(1.0, (7.0 - t) / 1.0));
  });
  MixInto(s, glide, 0.5);
  const std::vector<Note> box = Melody({{86, 0.5},
                                        {83, 0.5},
                                        {80, 0.5},
                                        {86, 0.5},
                                        {85, 1.0},
                                        {0, 0.5},
                                        {81, 0.5},
                                        {78, 0.5},
                                        {84, 1.5}});
  PlayNotes(
      s, box, 0.55, [](double hz, double sec) { return BellNote(hz, sec + 0.5, 3.5, 1.5); }, 0.2f,
      1.0);
  Noise noise(ctx.rng);
  Biquad wind;
  Signal air = Render(7.5, [&](double t) {
    if (static_cast<int>(t * kSampleRate) % 64 == 0)
      wind.SetBandpass(400 + 250 * std::sin(t * 0.7), 4);
    return static_cast<float>(0.25 * wind.Process(noise.White()));
  });
  MixInto(s, air, 0.0);
  ApplyEnvelope(s, {{0, 0}, {1.0, 1}, {6.5, 1}, {7.5, 0}});
  return Hall(s, 0.95, 0.5f, 0.5);
}

Signal CardGameVictory(RecipeContext& ctx) {
  // A festive win: a pentatonic run on plucked strings, a reed fanfare, drums and gong.
  const double spb = 60.0 / 160;
  Signal s;
  auto zither = [&](double hz, double sec) { return PluckNote(ctx.rng, hz, sec + 0.4); };
  std::vector<Note> run;
  const double scale[] = {62, 64, 66, 69, 71, 74, 76, 78, 81, 83, 86};
  for (int k = 0; k < 11; ++k) run.push_back({k * 0.25, 0.3, scale[k], 0.8f});
  PlayNotes(s, run, spb, zither, 0.35f);
  PlayNotes(
      s,
      Melody(
          {{74, 0.5}, {76, 0.5}, {78, 1.0}, {81, 0.5}, {78, 0.5}, {76, 0.5}, {78, 0.5}, {74, 2.5}},
          3),
      spb, ReedNote, 0.5f);
  const Signal drum = Tom(150);
  Hits(s, drum, {3, 4, 5, 5.5, 6, 7, 7.5, 8}, spb, 0.35f);
  Hits(s, Crash(ctx.rng, 1.2), {3, 5, 7}, spb, 0.15f);
  MixInto(s, Gong(ctx.rng, 98, 3.0), 9 * spb, 0.5f);
  PlayNotes(s, ChordNotes(9, 2.5, {62, 66, 69, 74}), spb, BrassNote, 0.15f);
  return Hall(s, 0.4, 0.2f, 0.6);
}

Signal NewsIntro(RecipeContext& ctx) {
  // A news opener: a ticking pulse, urgent synth-brass stabs, timpani and a final hit.
  const double spb = 60.0 / 120;
  Signal s;
  const Signal tick = HiHat(ctx.rng, false);
  for (int k = 0; k < 40; ++k) MixInto(s, tick, k * spb / 4, (k % 4 == 0) ? 0.3f : 0.15f);
  const std::vector<std::vector<double>> stabs = {
      {50, 57, 62, 65}, {50, 57, 62, 65}, {48, 55, 60, 63}, {46, 53, 58, 62}};
  const double at[] = {0, 1.5, 4, 6};
  for (int k = 0; k < 4; ++k) {
    std::vector<Note> chord;
    for (double m : stabs[static_cast<std::size_t>(k)]) chord.push_back({at[k], 0.6, m, 1.0f});
    PlayNotes(s, chord, spb, BrassNote, 0.18f);
    MixInto(s, Timpani(ctx.rng, MidiToHz(38), 1.2), at[k] * spb, 0.5f);
  }
  MixInto(s, Riser(ctx.rng, 1.5), 8 * spb - 1.5, 0.25f);
  std::vector<Note> hit;
  for (double m : {38.0, 50.0, 57.0, 62.0, 66.0, 69.0}) hit.push_back({8, 2.5, m, 1.0f});
  PlayNotes(s, hit, spb, BrassNote, 0.2f);
  MixInto(s, Kick(1.3), 8 * spb, 0.8f);
  MixInto(s, Crash(ctx.rng, 2.5), 8 * spb, 0.4f);
  MixInto(s, Timpani(ctx.rng, MidiToHz(38), 2.0), 8 * spb, 0.7f);
  return Hall(s, 0.6, 0.25f, 0.8);
}

Signal NewsBroadcast(RecipeContext& ctx) {
  // A grand, bright evening-news theme: brass melody rising over strings and timpani.
  const double spb = 60.0 / 96;
  Signal s;
  const std::vector<Note> theme = Melody({{60, 1.0},
                                          {67, 1.0},
                                          {72, 1.5},
                                          {71, 0.5},
                                          {69, 1.0},
                                          {67, 1.0},
                                          {72, 1.0},
                                          {74, 1.0},
                                          {76, 3.0}});
  PlayNotes(s, theme, spb, BrassNote, 0.35f);
  PlayNotes(s, Melody({{48, 1}, {55, 1}, {53, 2}, {57, 1}, {55, 1}, {53, 1}, {55, 1}, {48, 3}}),
            spb, BrassNote, 0.25f);
  PlayNotes(s,
            Join({ChordNotes(0, 2, {64, 67, 72}), ChordNotes(2, 2, {65, 69, 72}),
                  ChordNotes(4, 2, {64, 67, 72}), ChordNotes(6, 2, {65, 67, 71}),
                  ChordNotes(8, 3, {64, 67, 72, 76})}),
            spb, StringsNote, 0.15f);
  for (double b : {0.0, 2.0, 4.0, 6.0})
    MixInto(s, Timpani(ctx.rng, MidiToHz(36), 1.0), b * spb, 0.45f);
  for (double b : {7.5, 7.625, 7.75, 7.875})
    MixInto(s, Timpani(ctx.rng, MidiToHz(43), 0.5), b * spb, 0.35f);
  MixInto(s, Timpani(ctx.rng, MidiToHz(36), 2.0), 8 * spb, 0.7f);
  MixInto(s, Crash(ctx.rng, 2.5), 8 * spb, 0.3f);
  PlayNotes(
      s, ChordNotes(8, 3, {84, 88, 91}), spb,
      [](double hz, double sec) { return BellNote(hz, sec, 1.4, 1.5); }, 0.15f);
  return Hall(s, 0.75, 0.3f, 0.8);
}

Signal EpicIntro(RecipeContext& ctx) {
  // Thundering drums building up, low brass stabs, a swell and one huge hit.
  const double spb = 60.0 / 100;
  Signal s;
  const Signal taiko = Taiko(ctx.rng);
  Hits(s, taiko, {0, 1, 2, 2.5, 3, 4, 4.5, 5, 5.5, 6, 6.25, 6.5, 6.75, 7, 7.25, 7.5, 7.75}, spb,
       0.5f);
  PlayNotes(s,
            Join({ChordNotes(0, 1.5, {38, 45, 50}), ChordNotes(2, 1.5, {38, 45, 50}),
                  ChordNotes(4, 1.5, {41, 48, 53}), ChordNotes(6, 1.5, {43, 50, 55})}),
            spb, BrassNote, 0.2f);
  MixInto(s, Riser(ctx.rng, 2.2), 8 * spb - 2.2, 0.3f);
  PlayNotes(s, ChordNotes(8, 3.5, {38, 50, 57, 62, 65, 69}), spb, BrassNote, 0.22f);
  PlayNotes(s, ChordNotes(8, 3.5, {62, 65, 69, 74}), spb, StringsNote, 0.12f);
  MixInto(s, Taiko(ctx.rng), 8 * spb, 1.0f);
  MixInto(s, Kick(1.5), 8 * spb, 0.8f);
  MixInto(s, Crash(ctx.rng, 3.0), 8 * spb, 0.45f);
  Saturate(s, 1.2f);
  return Hall(s, 0.8, 0.3f, 0.8);
}

Signal LevelClear(RecipeContext&) {
  // An 8-bit stage-clear fanfare: a quick pentatonic climb, three chord arpeggios and
  // a held final chord, on square waves over a triangle bass.
  const double spb = 60.0 / 150;
  Signal s;
  auto lead = [](double hz, double sec) { return SquareNote(hz, sec, 0.25); };
  const double run[] = {60, 62, 64, 67, 69, 72, 74, 76};
  std::vector<Note> notes;
  for (int k = 0; k < 8; ++k) notes.push_back({k / 3.0, 0.3, run[k], 1.0f});
  const double arps[3][3] = {{65, 69, 72}, {67, 71, 74}, {69, 72, 76}};
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k)
      notes.push_back({3 + c * 1.0 + k / 3.0, 0.3, arps[c][k] + 12, 1.0f});
  }
  notes.push_back({6, 2.0, 84, 1.0f});
  PlayNotes(s, notes, spb, lead, 0.35f);
  PlayNotes(
      s, Join({ChordNotes(6, 2.0, {72, 76, 79})}), spb,
      [](double hz, double sec) { return SquareNote(hz, sec, 0.5); }, 0.15f);
  PlayNotes(s, Melody({{48, 1}, {48, 1}, {55, 1}, {53, 1}, {55, 1}, {57, 1}, {48, 2}}), spb,
            TriangleNote, 0.5f);
  return s;
}

Signal Tension(RecipeContext&) {
  // Suspense: a heartbeat, a ticking clock, and trembling strings creeping upwards.
  Signal s;
  for (double at = 0.1; at < 7.0; at += 0.86) {
    MixInto(s, Kick(0.5), at, 0.6f);
    MixInto(s, Kick(0.4), at + 0.22, 0.4f);
  }
  const Signal tick = WoodBlock(2600);
  for (double at = 0.05; at < 7.2; at += 0.5) MixInto(s, tick, at, 0.08f);
  Oscillator osc[3];
  const double base[3] = {MidiToHz(50), MidiToHz(51), MidiToHz(57)};
  Signal strings = Render(7.2, [&](double t) {
    const double rise = std::pow(2.0, t / 7.2 * 5 / 12.0);
    const double tremolo = 0.6 + 0.4 * std::sin(2 * M_PI * 11 * t);
    double x = 0;
    for (int k = 0; k < 3; ++k) x += osc[k].Saw(base[k] * rise);
    return static_cast<float>(0.12 * x * tremolo * std::min(1.0, t / 2.0));
  });
  Biquad lp;
  lp.SetLowpass(2500, 0.7);
  lp.ProcessInPlace(strings);
  MixInto(s, strings, 0.0);
  PlayNotes(s, {{0, 7.2, 26}}, 1.0, SynthBassNote, 0.3f);
  return Hall(s, 0.6, 0.25f, 0.5);
}

Signal GamblerEntrance(RecipeContext& ctx) {
  // A slow, suave entrance: strings swell, a heroic minor-key horn line, deep drums.
  const double spb = 60.0 / 72;
  Signal s;
  PlayNotes(s,
            Join({ChordNotes(0, 2, {57, 60, 64}), ChordNotes(2, 2, {53, 57, 60}),
                  ChordNotes(4, 2, {55, 59, 62}), ChordNotes(6, 2.5, {57, 61, 64})}),
            spb, StringsNote, 0.15f);
  PlayNotes(s,
            Melody({{69, 1.5}, {72, 0.5}, {71, 1.0}, {69, 1.0}, {65, 1.5}, {67, 0.5}, {64, 2.5}}),
            spb, BrassNote, 0.35f);
  PlayNotes(s, Melody({{45, 2}, {41, 2}, {43, 2}, {45, 2.5}}), spb, SynthBassNote, 0.4f);
  Hits(s, Taiko(ctx.rng), {0, 2, 4, 5.5, 6}, spb, 0.45f);
  MixInto(s, Gong(ctx.rng, 90, 3.0), 6 * spb, 0.3f);
  return Hall(s, 0.85, 0.35f, 0.8);
}

Signal DatingShowWoman(RecipeContext&) {
  // Sweet and sparkling: music-box arpeggios over a soft string pad.
  const double spb = 60.0 / 100;
  Signal s;
  PlayNotes(s,
            Join({ChordNotes(0, 2, {64, 67, 71, 74}), ChordNotes(2, 2, {62, 65, 69, 72}),
                  ChordNotes(4, 3, {60, 64, 67, 71})}),
            spb, StringsNote, 0.12f);
  std::vector<Note> arp;
  const double pattern[3][4] = {{76, 79, 83, 86}, {74, 77, 81, 84}, {72, 76, 79, 83}};
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 8; ++k)
      arp.push_back({c * 2 + k * 0.25, 0.5, pattern[c][k % 4] + (k >= 4 ? 12 : 0), 0.8f});
  }
  arp.push_back({6, 1.5, 96, 1.0f});
  PlayNotes(
      s, arp, spb, [](double hz, double sec) { return BellNote(hz, sec + 0.4, 3.5, 1.2); }, 0.2f);
  return Hall(s, 0.7, 0.35f, 0.8);
}

Signal DatingShowLight(RecipeContext& ctx) {
  // A light going out: an electric buzz, a falling power-down sweep and a low boom.
  Oscillator osc;
  Noise noise(ctx.rng);
  Signal buzz = Render(0.5, [&](double t) {
    return static_cast<float>((0.3 * osc.Square(100, 0.3) + 0.15 * noise.White()) *
                              std::min(1.0, t / 0.02));
  });
  Oscillator sweep_osc;
  Biquad lp;
  Signal sweep(ToSamples(1.2));
  for (std::size_t i = 0; i < sweep.size(); ++i) {
    const double t = static_cast<double>(i) * kDt;
    if (i % 32 == 0) lp.SetLowpass(4000 * std::exp(-t * 3) + 200, 2.0);
    sweep[i] = lp.Process(static_cast<float>(0.5 * sweep_osc.Saw(900 * std::exp(-t * 2.6)))) *
               static_cast<float>(std::exp(-t * 1.5));
  }
  Signal s = buzz;
  MixInto(s, sweep, 0.45);
  MixInto(s, Kick(0.8), 0.45, 0.9f);
  MixInto(s, Gong(ctx.rng, 60, 2.0), 0.45, 0.4f);
  return Hall(s, 0.7, 0.3f, 0.8);
}

Signal DatingShowMan(RecipeContext& ctx) {
  // A confident entrance: driving drums, a funky bass and a bright brass riff.
  const double spb = 60.0 / 118;
  Signal s;
  for (int bar = 0; bar < 3; ++bar) {
    const double b = bar * 4;
    Hits(s, Kick(1.0), {b, b + 1.5, b + 2}, spb, 0.7f);
    Hits(s, Snare(ctx.rng), {b + 1, b + 3}, spb, 0.45f);
    Hits(s, HiHat(ctx.rng, false), {b, b + 0.5, b + 1, b + 1.5, b + 2, b + 2.5, b + 3, b + 3.5},
         spb, 0.2f);
    PlayNotes(s,
              Melody({{40, 0.75},
                      {40, 0.25},
                      {47, 0.5},
                      {40, 0.5},
                      {50, 0.5},
                      {49, 0.5},
                      {47, 0.5},
                      {45, 0.5}},
                     b),
              spb, SynthBassNote, 0.4f);
  }
  PlayNotes(
      s,
      Join(
          {Melody({{64, 0.5}, {0, 0.25}, {64, 0.25}, {67, 0.5}, {69, 0.5}, {71, 1.0}, {0, 1.0}}, 0),
           Melody({{64, 0.5},
                   {0, 0.25},
                   {64, 0.25},
                   {67, 0.5},
                   {69, 0.5},
                   {74, 0.5},
                   {71, 0.5},
                   {0, 1.0}},
                  4),
           Melody({{76, 1.0}, {74, 0.5}, {71, 0.5}, {69, 0.5}, {71, 1.5}}, 8)}),
      spb, BrassNote, 0.3f);
  MixInto(s, Crash(ctx.rng, 2.0), 0.0, 0.25f);
  MixInto(s, Crash(ctx.rng, 2.0), 12 * spb, 0.3f);
  PlayNotes(s, ChordNotes(12, 1.5, {52, 59, 64, 68, 71}), spb, BrassNote, 0.18f);
  return Hall(s, 0.5, 0.2f, 0.6);
}

Signal MagicMusic(RecipeContext& ctx) {
  // Enchantment: celesta runs in a whole-tone scale, a harp sweep and a shimmering pad.
  const double spb = 60.0 / 90;
  Signal s;
  PlayNotes(s, Join({ChordNotes(0, 4, {60, 64, 66, 71}), ChordNotes(4, 4.5, {62, 66, 69, 73})}),
            spb, StringsNote, 0.12f);
  std::vector<Note> celesta;
  for (int k = 0; k < 12; ++k) celesta.push_back({k * 0.25, 0.4, 72.0 + 2 * k, 0.8f});
  for (int k = 0; k < 12; ++k) celesta.push_back({4 + k * 0.25, 0.4, 96.0 - 2 * k, 0.7f});
  PlayNotes(
      s, celesta, spb, [](double hz, double sec) { return BellNote(hz, sec + 0.3, 3.5, 1.0); },
      0.15f);
  std::vector<Note> harp;
  const double tones[] = {62, 66, 69, 73, 74, 78, 81, 85, 86};
  for (int k = 0; k < 9; ++k) harp.push_back({7 + k * 0.08, 1.0, tones[k], 0.8f});
  PlayNotes(
      s, harp, spb, [&](double hz, double sec) { return PluckNote(ctx.rng, hz, sec); }, 0.2f);
  PlayNotes(
      s, ChordNotes(7, 1.5, {86, 90, 93}), spb,
      [](double hz, double sec) { return BellNote(hz, sec + 1.0, 1.4, 1.0); }, 0.15f);
  return Hall(s, 0.85, 0.45f, 0.8);
}

}  // namespace music
}  // namespace kalvor::soundgen
