// The building blocks of the sound generator: seeded noise, filters, speed changes,
// level matching, MP3 encoding, speech and the recipe table.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "resources/sound_archive_list.h"
#include "tools/soundgen/biquad.h"
#include "tools/soundgen/loudness.h"
#include "tools/soundgen/mp3_encoder.h"
#include "tools/soundgen/random.h"
#include "tools/soundgen/recipe_table.h"
#include "tools/soundgen/signal.h"
#include "tools/soundgen/speech_synth.h"

namespace {

using namespace kalvor::soundgen;

Signal Sine(double hz, double seconds, double amplitude) {
  return Render(seconds, [&](double t) {
    return static_cast<float>(amplitude * std::sin(2 * M_PI * hz * t));
  });
}

int ZeroCrossings(const Signal& s) {
  int n = 0;
  for (std::size_t i = 1; i < s.size(); ++i) n += (s[i - 1] < 0) != (s[i] < 0);
  return n;
}

TEST(SoundgenRandomTest, StreamsAreFixedPerSeedAndDifferBetweenNames) {
  Random a = Random::FromName("欢呼掌声"), b = Random::FromName("欢呼掌声"),
         c = Random::FromName("狗叫");
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    const double x = a.Uniform();
    EXPECT_EQ(x, b.Uniform());
    EXPECT_GE(x, 0.0);
    EXPECT_LT(x, 1.0);
    differs |= x != c.Uniform();
  }
  EXPECT_TRUE(differs);
}

TEST(SoundgenFilterTest, LowpassKeepsTheBassAndRemovesTheTreble) {
  for (auto [hz, min_db, max_db] :
       {std::tuple{100.0, -1.0, 1.0}, std::tuple{10000.0, -200.0, -20.0}}) {
    Signal s = Sine(hz, 0.5, 0.5);
    const double before = Rms(s);
    Biquad lp;
    lp.SetLowpass(1000, 0.707);
    lp.ProcessInPlace(s);
    s.erase(s.begin(), s.begin() + 2000);  // skip the settling
    const double db = GainToDb(Rms(s) / before);
    EXPECT_GT(db, min_db) << hz;
    EXPECT_LT(db, max_db) << hz;
  }
}

TEST(SoundgenSignalTest, ChangeSpeedScalesLengthAndPitchTogether) {
  const Signal s = Sine(440, 1.0, 0.5);
  const Signal fast = ChangeSpeed(s, 2.0), slow = ChangeSpeed(s, 0.5);
  EXPECT_NEAR(Seconds(fast), 0.5, 0.01);
  EXPECT_NEAR(Seconds(slow), 2.0, 0.01);
  EXPECT_NEAR(ZeroCrossings(fast), ZeroCrossings(s), 4);  // same cycles in half the time
  EXPECT_NEAR(ZeroCrossings(slow), ZeroCrossings(s), 4);
}

TEST(SoundgenSignalTest, MixIntoGrowsTheTargetAndAddsAtTheOffset) {
  Signal dst(10, 1.0f);
  MixInto(dst, Signal(10, 2.0f), 5.0 / kSampleRate, 0.5f);
  ASSERT_EQ(dst.size(), 15u);
  EXPECT_FLOAT_EQ(dst[4], 1.0f);
  EXPECT_FLOAT_EQ(dst[5], 2.0f);
  EXPECT_FLOAT_EQ(dst[14], 1.0f);
}

TEST(SoundgenLoudnessTest, LoudnessFollowsLevelAndIgnoresSilence) {
  const Signal quiet = Sine(1000, 2.0, 0.1), loud = Sine(1000, 2.0, 0.2);
  EXPECT_NEAR(Loudness(loud) - Loudness(quiet), 6.02, 0.1);
  Signal padded = quiet;
  PadTo(padded, 6.0);  // silence after the tone does not make it quieter
  EXPECT_NEAR(Loudness(padded), Loudness(quiet), 0.5);
  EXPECT_LE(Loudness(Silence(1.0)), -100.0);
}

TEST(SoundgenLoudnessTest, NormaliseReachesTheTargetUnderTheCeiling) {
  // A quiet tone with sharp spikes: raised to the target, spikes held under the ceiling.
  Signal s = Sine(500, 3.0, 0.02);
  for (std::size_t i = 1000; i < s.size(); i += 9000) s[i] = 0.1f;
  Normalise(s, -16.0, -1.8, 12.0);
  EXPECT_NEAR(Loudness(s), -16.0, 1.0);
  EXPECT_LE(GainToDb(Peak(s)), -1.8 + 1e-3);
}

TEST(SoundgenLoudnessTest, NormaliseLimitsAtMostTheGivenAmount) {
  // A lone click cannot reach the target without crushing it: it stays under the
  // ceiling, quieter than asked.
  Signal s = Silence(2.0);
  s[40000] = 1.0f;
  s[40001] = -0.8f;
  Normalise(s, -16.0, -1.8, 6.0);
  EXPECT_LE(GainToDb(Peak(s)), -1.8 + 1e-3);
  EXPECT_GE(GainToDb(Peak(s)), -1.8 - 6.5);
}

TEST(SoundgenMp3Test, EncodingIsRepeatableAndDecodesAtTheSameLevel) {
  const Signal s = Sine(440, 1.5, 0.5);
  const auto first = Mp3Encoder().Encode(s), second = Mp3Encoder().Encode(s);
  EXPECT_EQ(first, second);
  ASSERT_GT(first.size(), 4u);
  EXPECT_EQ(first[0], 0xFF);  // an MPEG frame, no ID3 tag in front
  EXPECT_NEAR(GainToDb(Mp3Encoder::DecodedPeak(first)), GainToDb(0.5), 0.5);
}

TEST(SoundgenSpeechTest, SpeaksBothLanguagesTheSameWayEveryTime) {
  const SpeechSynth speech(KALVOR_SOUNDGEN);
  SpeechParams en;
  en.voice = "en";
  const Signal a = speech.Speak("one two", en);
  EXPECT_GT(Seconds(a), 0.3);
  EXPECT_GT(Peak(a), 0.05f);
  SpeechParams cmn;
  const Signal zh = speech.Speak("救命", cmn);
  EXPECT_GT(Seconds(zh), 0.2);
  EXPECT_EQ(speech.Speak("one two", en), a);  // whatever was said in between
  SpeechParams missing;
  missing.voice = "no-such-voice";
  EXPECT_THROW(speech.Speak("x", missing), std::runtime_error);
}

TEST(SoundgenRecipeTest, EveryArchiveNameHasARecipeAndNothingElseDoes) {
  for (std::string_view name : kalvor::kArchiveSoundNames)
    EXPECT_NE(FindRecipe(name), nullptr) << name;
  EXPECT_EQ(FindRecipe("Mc教学鼓"), nullptr);  // file names are matched exactly here
  EXPECT_EQ(FindRecipe(""), nullptr);
  EXPECT_EQ(RecipeTable().size(), kalvor::kArchiveSoundNames.size());
}

}  // namespace
