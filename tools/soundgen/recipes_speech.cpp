// Spoken effects, made with espeak-ng's Mandarin and English voices and dressed up
// with chimes, phone lines, echoes and pitch changes.
#include <cmath>
#include <string>
#include <vector>

#include "tools/soundgen/instruments.h"
#include "tools/soundgen/noise.h"
#include "tools/soundgen/oscillator.h"
#include "tools/soundgen/recipes.h"
#include "tools/soundgen/reverb.h"

namespace kalvor::soundgen {
namespace {

Signal Say(RecipeContext& ctx, std::string_view text, const std::string& voice, int rate, int pitch,
           int range = 60, int word_gap = 0) {
  SpeechParams p;
  p.voice = voice;
  p.rate = rate;
  p.pitch = pitch;
  p.range = range;
  p.word_gap = word_gap;
  Signal s = ctx.speech.Speak(text, p);
  ScaleToActiveRms(s, 0.15);
  return s;
}

Signal Beep(double hz, double seconds) {
  Oscillator osc;
  Signal s = Render(seconds, [&](double) { return static_cast<float>(0.3 * osc.Sine(hz)); });
  FadeIn(s, 0.005);
  FadeOut(s, 0.01);
  return s;
}

// The other end of a call: two rings of the ring-back tone, a click, and the voice
// on the line.
Signal Hotline(RecipeContext& ctx, const Signal& voice) {
  Signal s = Beep(450, 1.0);
  Scale(s, 0.4f);
  Signal click = Render(0.01, [](double t) { return static_cast<float>(0.5 * (1 - t / 0.01)); });
  MixInto(s, click, 1.5);
  MixInto(s, voice, 1.7);
  return PhoneLine(s, ctx.rng);
}

Signal Station(const Signal& voice, std::initializer_list<double> chime) {
  Signal s = Chime(chime, 0.45);
  ScaleToActiveRms(s, 0.1);
  MixInto(s, voice, 0.45 * static_cast<double>(chime.size()) + 0.35);
  Reverb cabin(0.35, 0.6);
  return cabin.Process(s, 1.0f, 0.2f, 0.4);
}

}  // namespace

namespace speech {

Signal PoliceHotline(RecipeContext& ctx) {
  return Hotline(ctx, Say(ctx, "您好，这里是110报警服务台，请讲。", "cmn+f2", 220, 55));
}

Signal PsychHotline(RecipeContext& ctx) {
  return Hotline(ctx,
                 Say(ctx, "精神病热线：强迫症请反复按一，多重人格请按二三四。", "cmn+f3", 290, 50));
}

Signal ReadyGo(RecipeContext& ctx) {
  Signal s = Say(ctx, "Ready", "en", 120, 40, 70);
  Signal go = Say(ctx, "Go!", "en", 140, 65, 90);
  Scale(go, 1.4f);
  MixInto(s, Whoosh(ctx.rng, 0.5, 400, 4000), 1.05, 0.2f);
  MixInto(s, Kick(1.3), 1.6, 0.5f);
  MixInto(s, go, 1.55);
  Reverb arena(0.8, 0.4);
  return arena.Process(s, 1.0f, 0.35f, 0.8);
}

Signal AuthorIntro(RecipeContext& ctx) {
  Signal s = Chime({72, 76, 79, 84}, 0.14);
  ScaleToActiveRms(s, 0.08);
  MixInto(s, Say(ctx, "欢迎使用 Kalvor 音效助手！", "cmn", 165, 55, 70), 0.8);
  Reverb room(0.5, 0.5);
  return room.Process(s, 1.0f, 0.2f, 0.5);
}

Signal BeKind(RecipeContext& ctx) {
  // Slow and earnest, with a little echo for weight.
  Signal s = Say(ctx, "做人，要厚道。", "cmn", 120, 35, 70);
  return Echo(s, 0.28, 0.3f, 2, 3000);
}

Signal BusStop(RecipeContext& ctx) {
  return Station(Say(ctx, "乘客您好，前方到站，人民广场站。请从后门下车。", "cmn+f2", 250, 55),
                 {76, 72});
}

Signal TramStop(RecipeContext& ctx) {
  return Station(Say(ctx, "下一站，中山路。请准备下车。", "cmn+f4", 220, 55), {79, 76, 72});
}

Signal HelpShout(RecipeContext& ctx) {
  // Shouted high and fast, echoing off the buildings.
  Signal s = Say(ctx, "救命啊！", "cmn", 190, 85, 100);
  Signal again = Say(ctx, "救命！", "cmn", 200, 95, 100);
  Append(s, again, 0.35);
  Saturate(s, 2.0f);
  Signal out = Echo(s, 0.35, 0.35f, 3, 2500);
  Reverb street(0.6, 0.5);
  return street.Process(out, 1.0f, 0.25f, 0.5);
}

Signal BabyTalk(RecipeContext& ctx) {
  // A whiny "baby voice": spoken, then sped up so it comes out squeaky.
  Signal s = Say(ctx, "人家不要嘛！讨厌啦，哼！", "cmn+f3", 140, 80, 100);
  Signal squeaky = ChangeSpeed(s, 1.45);
  Reverb room(0.3, 0.5);
  return room.Process(squeaky, 1.0f, 0.15f, 0.3);
}

Signal ChooseHusband(RecipeContext& ctx) {
  // A cheerful sing-song pitch over a bouncy little backing.
  Signal s = Say(ctx, "挑老公，就要挑最优秀的！", "cmn+f2", 160, 70, 100);
  const double spb = 60.0 / 132;
  Signal backing;
  auto pluck = [&](double hz, double sec) { return PluckNote(ctx.rng, hz, sec); };
  std::vector<Note> notes;
  const double pattern[] = {60, 64, 67, 72, 65, 69, 72, 77, 67, 71, 74, 79, 72, 76, 79, 84};
  for (int k = 0; k < 16; ++k) notes.push_back({k * 0.5, 0.4, pattern[k], 0.8f});
  PlayNotes(backing, notes, spb, pluck, 0.3f);
  ScaleToActiveRms(backing, 0.05);
  MixInto(backing, s, 0.5);
  Reverb room(0.4, 0.5);
  return room.Process(backing, 1.0f, 0.2f, 0.4);
}

Signal CountToTen(RecipeContext& ctx) {
  return Say(ctx, "one, two, three, four, five, six, seven, eight, nine, ten.", "en", 165, 50, 50,
             3);
}

Signal Countdown(RecipeContext& ctx) {
  // "五、四、三、二、一" on the second with a beep each, then the long high tone.
  Signal s;
  const char* numbers[] = {"五", "四", "三", "二", "一"};
  for (int k = 0; k < 5; ++k) {
    MixInto(s, Beep(880, 0.12), k * 1.0);
    MixInto(s, Say(ctx, numbers[k], "cmn", 150, 50), k * 1.0 + 0.18);
  }
  MixInto(s, Beep(1320, 0.7), 5.0, 1.2f);
  Reverb room(0.4, 0.5);
  return room.Process(s, 1.0f, 0.15f, 0.4);
}

}  // namespace speech
}  // namespace kalvor::soundgen
