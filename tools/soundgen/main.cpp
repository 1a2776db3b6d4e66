// kalvor_soundgen: renders the built-in sound effects and writes them as MP3 files.
//
//   kalvor_soundgen OUTPUT_DIR [--only NAME[,NAME...]] [--jobs N] [--report]
//
// Every sound is rendered from its own fixed seed, so two runs write the same bytes.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "resources/sound_archive_list.h"
#include "tools/soundgen/biquad.h"
#include "tools/soundgen/loudness.h"
#include "tools/soundgen/mp3_encoder.h"
#include "tools/soundgen/recipe_table.h"

namespace {

using namespace kalvor::soundgen;

constexpr double kMinSeconds = 1.2;
constexpr double kMaxSeconds = 7.9;
constexpr double kTargetLoudnessDb = -16.0;
constexpr double kCeilingDb = -1.8;         // before encoding
constexpr double kDecodedCeilingDb = -1.0;  // what a player decodes from the file
constexpr double kMaxLimiterDb = 12.0;
// A button plays at once only if its file begins with sound: whatever comes before the first
// sample at this level goes, and the cut is faded in over a few samples so it does not click.
constexpr double kOnsetDb = -60.0;
constexpr double kOnsetFadeSeconds = 0.0005;

struct Result {
  std::string name;
  double seconds = 0;
  double loudness_db = 0;
  double peak_db = 0;
  std::size_t bytes = 0;
  std::string error;
};

// Makes a rendered effect ready for the archive: length in range, no DC, matched
// loudness, no silence in front, short fades at both ends.
void Finish(Signal& s) {
  if (Seconds(s) > kMaxSeconds) {
    Trim(s, kMaxSeconds);
    FadeOut(s, 0.4);
  }
  PadTo(s, kMinSeconds);
  Biquad dc;
  dc.SetHighpass(25, 0.707);
  dc.ProcessInPlace(s);
  Normalise(s, kTargetLoudnessDb, kCeilingDb, kMaxLimiterDb);
  FadeIn(s, 0.004);
  TrimStart(s, static_cast<float>(DbToGain(kOnsetDb)));
  FadeIn(s, kOnsetFadeSeconds);
  PadTo(s, kMinSeconds);
  FadeOut(s, 0.03);
}

Result Make(std::string_view name, SpeechSynth& speech, const std::filesystem::path& dir) {
  Result r;
  r.name = std::string(name);
  try {
    Random rng = Random::FromName(name);
    RecipeContext ctx{rng, speech};
    Signal s = FindRecipe(name)(ctx);
    Finish(s);
    r.seconds = Seconds(s);
    // Sharp transients can come out of the encoder above the input's peak; turn the
    // sound down by the overshoot until the decoded file stays under the ceiling.
    std::vector<std::uint8_t> mp3;
    for (int attempt = 0;; ++attempt) {
      mp3 = Mp3Encoder().Encode(s);
      const double decoded_db = GainToDb(Mp3Encoder::DecodedPeak(mp3));
      r.peak_db = decoded_db;
      if (decoded_db <= kDecodedCeilingDb - 0.1 || attempt == 4) break;
      Scale(s, static_cast<float>(DbToGain(kDecodedCeilingDb - 0.3 - decoded_db)));
    }
    r.loudness_db = Loudness(s);
    r.bytes = mp3.size();
    const std::filesystem::path target = dir / (r.name + ".mp3");
    const std::filesystem::path temp = dir / (r.name + ".mp3.part");
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(mp3.data()),
                static_cast<std::streamsize>(mp3.size()));
      if (!out) throw std::runtime_error("cannot write " + temp.string());
    }
    std::filesystem::rename(temp, target);
  } catch (const std::exception& e) {
    r.error = e.what();
  }
  return r;
}

std::vector<std::string> SplitNames(const std::string& list) {
  std::vector<std::string> out;
  std::stringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (!item.empty()) out.push_back(item);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  int child_exit = 0;
  if (SpeechSynth::RunChild(argc, argv, child_exit)) return child_exit;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR [--only NAME,...] [--jobs N] [--report]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::vector<std::string> names;
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  bool report = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--only" && i + 1 < argc) {
      names = SplitNames(argv[++i]);
    } else if (arg == "--jobs" && i + 1 < argc) {
      jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
    } else if (arg == "--report") {
      report = true;
    } else {
      std::fprintf(stderr, "unknown argument: %s\n", arg.c_str());
      return 2;
    }
  }
  if (names.empty())
    names.assign(kalvor::kArchiveSoundNames.begin(), kalvor::kArchiveSoundNames.end());
  for (const std::string& n : names) {
    if (FindRecipe(n) == nullptr) {
      std::fprintf(stderr, "no such sound: %s\n", n.c_str());
      return 2;
    }
  }
  std::filesystem::create_directories(dir);

  const auto start = std::chrono::steady_clock::now();
  SpeechSynth speech;
  std::vector<Result> results(names.size());
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < names.size(); i = next++)
      results[i] = Make(names[i], speech, dir);
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < std::min<std::size_t>(jobs, names.size()); ++t)
    threads.emplace_back(worker);
  worker();
  for (auto& t : threads) t.join();
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  int failures = 0;
  std::size_t total_bytes = 0;
  double total_seconds = 0;
  for (const Result& r : results) {
    if (!r.error.empty()) {
      std::fprintf(stderr, "%s: %s\n", r.name.c_str(), r.error.c_str());
      ++failures;
      continue;
    }
    total_bytes += r.bytes;
    total_seconds += r.seconds;
    if (report) {
      std::printf("%-16s %5.2f s  loudness %6.1f dB  decoded peak %5.1f dBFS  %7zu bytes\n",
                  r.name.c_str(), r.seconds, r.loudness_db, r.peak_db, r.bytes);
    }
  }
  std::printf("kalvor_soundgen: %zu sounds, %.1f s of audio, %zu bytes, %.1f s\n",
              results.size() - static_cast<std::size_t>(failures), total_seconds, total_bytes,
              elapsed);
  return failures == 0 ? 0 : 1;
}
