// Every generated sound decodes, starts with sound, has a sensible length, stays clear of full
// scale and sits at about the same loudness as the others. The files are decoded as the player
// decodes them on this platform: libsndfile, which drops the encoder's delay and padding.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/sound_archive_list.h"

namespace {

constexpr float kOnsetLevel = 3.2e-4f;  // -70 dBFS, about ten steps of 16-bit output

struct Decoded {
  bool ok = false;
  int rate = 0;
  double seconds = 0;
  double peak_db = -200;
  double onset_ms = -1;  // the first sample above kOnsetLevel, as the player decodes the file
  double active_rms_db = -200;  // RMS over the louder half of 100 ms blocks
};

Decoded Decode(const std::filesystem::path& path) {
  Decoded d;
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (f == nullptr) return d;
  const int channels = info.channels;
  std::vector<float> samples(static_cast<std::size_t>(info.frames * channels));
  const sf_count_t got = sf_readf_float(f, samples.data(), info.frames);
  sf_close(f);
  d.ok = got == info.frames && info.frames > 0;
  d.rate = info.samplerate;
  d.seconds = static_cast<double>(info.frames) / d.rate;
  float peak = 0;
  for (float v : samples) peak = std::max(peak, std::fabs(v));
  d.peak_db = 20 * std::log10(std::max(peak, 1e-9f));
  const auto onset = std::find_if(samples.begin(), samples.end(),
                                  [](float v) { return std::fabs(v) > kOnsetLevel; });
  if (onset != samples.end()) d.onset_ms = 1000.0 * (onset - samples.begin()) / channels / d.rate;
  const std::size_t block = static_cast<std::size_t>(d.rate / 10) * channels;
  std::vector<double> energies;
  for (std::size_t at = 0; at + block <= samples.size(); at += block) {
    double sum = 0;
    for (std::size_t i = at; i < at + block; ++i) sum += samples[i] * samples[i];
    energies.push_back(sum / block);
  }
  std::sort(energies.rbegin(), energies.rend());
  const std::size_t half = std::max<std::size_t>(1, energies.size() / 2);
  double sum = 0;
  for (std::size_t i = 0; i < half && i < energies.size(); ++i) sum += energies[i];
  d.active_rms_db = 10 * std::log10(std::max(sum / half, 1e-20));
  return d;
}

TEST(SoundFilesTest, EveryFileDecodesWithinLengthAndLevelLimits) {
  std::vector<double> levels;
  for (std::string_view name : kalvor::kArchiveSoundNames) {
    SCOPED_TRACE(std::string(name));
    const Decoded d =
        Decode(std::filesystem::path(KALVOR_SOUND_DIR) / (std::string(name) + ".mp3"));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rate, 44100);
    EXPECT_GE(d.seconds, 1.0);
    EXPECT_LE(d.seconds, 8.0);
    EXPECT_LT(d.peak_db, -0.5);   // never clipped, even after decoding
    EXPECT_GT(d.peak_db, -12.0);  // and not left quiet
    // Sound from the first millisecond: a click is heard as soon as the output starts.
    EXPECT_GE(d.onset_ms, 0.0);
    EXPECT_LE(d.onset_ms, 1.0);
    EXPECT_GT(d.active_rms_db, -30.0);
    EXPECT_LT(d.active_rms_db, -8.0);
    levels.push_back(d.active_rms_db);
  }
  ASSERT_FALSE(levels.empty());
  std::sort(levels.begin(), levels.end());
  // The middle 90 % of the files lie within a 10 dB band.
  const std::size_t lo = levels.size() / 20, hi = levels.size() - 1 - levels.size() / 20;
  EXPECT_LT(levels[hi] - levels[lo], 10.0);
}

}  // namespace
