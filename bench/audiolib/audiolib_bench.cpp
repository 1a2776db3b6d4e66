// Figures of the audio library, as medians over many runs (the machine is shared and noisy):
//   1. time from BASS_ChannelPlay to the first non-silent frame mixed into a device buffer,
//      with the device idle (paused) and with it already running;
//   2. BASS_StreamCreateFile (open + prebuffer) of a 5-minute MP3, and the memory one such
//      stream holds;
//   3. CPU time used in 10 s of idle with the device open;
//   4. resident memory over 10,000 create/play/free cycles.
// Uses SDL_AUDIODRIVER when set, else the dummy driver (no sound card needed).
// Usage: audiolib_bench [--quick]
#include <sndfile.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "audiolib/audio_engine.h"
#include "audiolib/bass_library.h"

namespace {

using Clock = std::chrono::steady_clock;
using kalvor::audiolib::AudioEngine;

std::atomic<std::int64_t> g_audible_ns{0};

void on_audible(std::uint32_t /*handle*/) {
  g_audible_ns.store(Clock::now().time_since_epoch() / std::chrono::nanoseconds(1));
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0.0 : (n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]));
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()))];
}

void sleep_ms(double ms) {
  std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(ms * 1000)));
}

double rss_mib() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double cpu_seconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A stereo MP3 of a few chords over a little noise (so it encodes at a realistic bit rate); it
// is at full level from its first frame.
bool write_mp3(const std::string& path, double seconds) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  const long total = static_cast<long>(seconds * info.samplerate);
  std::mt19937 random(1);
  std::uniform_real_distribution<double> noise(-0.05, 0.05);
  std::vector<float> block(2 * 4096);
  for (long at = 0; at < total; at += 4096) {
    const long n = std::min<long>(4096, total - at);
    for (long i = 0; i < n; ++i) {
      const double t = static_cast<double>(at + i) / info.samplerate;
      const double base = 220.0 * (1 + (static_cast<long>(t) % 4));
      const double v = 0.3 * std::cos(2 * std::numbers::pi * base * t) +
                       0.2 * std::cos(2 * std::numbers::pi * base * 1.5 * t);
      block[2 * i] = static_cast<float>(v + noise(random));
      block[2 * i + 1] = static_cast<float>(v + noise(random));
    }
    sf_writef_float(file, block.data(), n);
  }
  sf_close(file);
  return true;
}

void print_stats(const char* what, const std::vector<double>& v, const char* unit) {
  std::printf("  %-44s median %8.3f %s   p90 %8.3f   min %8.3f   max %8.3f   (n=%zu)\n", what,
              median(v), unit, percentile(v, 0.9), *std::min_element(v.begin(), v.end()),
              *std::max_element(v.begin(), v.end()), v.size());
}

// Play to first audible frame, in ms; -1 when nothing was heard within a second.
double play_latency(std::uint32_t stream) {
  g_audible_ns.store(0);
  const auto start = Clock::now();
  BASS_ChannelPlay(stream, 1);
  while (g_audible_ns.load() == 0) {
    if (Clock::now() - start > std::chrono::seconds(1)) return -1.0;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  const std::int64_t start_ns = start.time_since_epoch() / std::chrono::nanoseconds(1);
  return static_cast<double>(g_audible_ns.load() - start_ns) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("kalvor-audiolib-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string effect = (dir / "effect.mp3").string();
  const std::string song = (dir / "five-minutes.mp3").string();
  if (!write_mp3(effect, 1.0) || !write_mp3(song, quick ? 30.0 : 300.0)) {
    std::fprintf(stderr, "cannot write MP3 files with libsndfile\n");
    return 1;
  }

  AudioEngine::set_audible_hook(&on_audible);
  if (BASS_Init(-1, 44100, 0, nullptr, nullptr) == 0) {
    std::fprintf(stderr, "BASS_Init failed (driver %s)\n", std::getenv("SDL_AUDIODRIVER"));
    return 1;
  }
  const int period = AudioEngine::instance().device_period_frames();
  const int rate = AudioEngine::instance().device_rate();
  std::printf("audiolib bench: driver %s, device %d Hz, period %d frames (%.2f ms)\n",
              std::getenv("SDL_AUDIODRIVER"), rate, period, 1000.0 * period / rate);

  // 1. Play latency. Random waits put Play at every phase of the device period.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> jitter(0.0, 12.0);
  const int latency_runs = quick ? 40 : 300;
  std::vector<double> idle_latency, running_latency;
  for (int i = 0; i < latency_runs; ++i) {
    const std::uint32_t stream = BASS_StreamCreateFile(0, effect.c_str(), 0, 0, 0);
    sleep_ms(40 + jitter(random));  // the device pauses itself once nothing plays
    const double ms = play_latency(stream);
    if (ms >= 0) idle_latency.push_back(ms);
    BASS_StreamFree(stream);
  }
  // As the program does it: open and start at once, while the decoder thread fills the ring.
  std::vector<double> fresh_latency;
  for (int i = 0; i < latency_runs; ++i) {
    sleep_ms(40 + jitter(random));
    const std::uint32_t stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    const double ms = play_latency(stream);
    if (ms >= 0) fresh_latency.push_back(ms);
    BASS_StreamFree(stream);
  }
  const std::uint32_t background = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
  BASS_ChannelSetAttribute(background, BASS_ATTRIB_VOL, 0.0f);
  BASS_ChannelPlay(background, 1);
  for (int i = 0; i < latency_runs; ++i) {
    const std::uint32_t stream = BASS_StreamCreateFile(0, effect.c_str(), 0, 0, 0);
    sleep_ms(2 + jitter(random));
    const double ms = play_latency(stream);
    if (ms >= 0) running_latency.push_back(ms);
    BASS_StreamFree(stream);
  }
  BASS_StreamFree(background);
  std::printf("\n1. BASS_ChannelPlay -> first non-silent frame mixed for the device\n");
  print_stats("device idle (paused) before Play", idle_latency, "ms");
  print_stats("device idle, Play right after create", fresh_latency, "ms");
  print_stats("device already running", running_latency, "ms");
  std::printf("  goal: <= 5 ms + one period (%.2f ms)\n", 5.0 + 1000.0 * period / rate);

  // 2. Opening a long MP3: the prebuffer only, the rest is decoded while it plays.
  const int open_runs = quick ? 10 : 50;
  std::vector<double> open_ms, free_ms;
  for (int i = 0; i < open_runs; ++i) {
    const auto t0 = Clock::now();
    const std::uint32_t stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    const auto t1 = Clock::now();
    sleep_ms(20);  // let the decoder thread fill the ring, as it would before a Free
    const auto t2 = Clock::now();
    BASS_StreamFree(stream);
    const auto t3 = Clock::now();
    open_ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    free_ms.push_back(std::chrono::duration<double, std::milli>(t3 - t2).count());
  }
  const double rss_before = rss_mib();
  const std::uint32_t held = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
  BASS_ChannelSetAttribute(held, BASS_ATTRIB_VOL, 0.0f);
  BASS_ChannelPlay(held, 1);
  sleep_ms(quick ? 500 : 2000);
  const double rss_playing = rss_mib();
  BASS_StreamFree(held);
  std::printf("\n2. %s MP3 (%.1f MiB file)\n", quick ? "30-second" : "5-minute",
              static_cast<double>(std::filesystem::file_size(song)) / 1048576.0);
  print_stats("BASS_StreamCreateFile (open + prebuffer)", open_ms, "ms");
  print_stats("BASS_StreamFree", free_ms, "ms");
  const double decoded_mib = (quick ? 30.0 : 300.0) * 44100 * 2 * sizeof(float) / 1048576.0;
  std::printf("  resident memory while it plays: %+.2f MiB (decoded whole: %.0f MiB)\n",
              rss_playing - rss_before, decoded_mib);

  // 3. Idle: a sound has played and ended, the device stays open.
  const int idle_runs = quick ? 1 : 3;
  const double idle_seconds = quick ? 3.0 : 10.0;
  std::vector<double> idle_cpu_ms;
  for (int i = 0; i < idle_runs; ++i) {
    const std::uint32_t stream = BASS_StreamCreateFile(0, effect.c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 1);
    sleep_ms(1300);
    const double c0 = cpu_seconds();
    sleep_ms(idle_seconds * 1000);
    idle_cpu_ms.push_back((cpu_seconds() - c0) * 1000.0);
    BASS_StreamFree(stream);
  }
  std::printf("\n3. CPU time in %.0f s of idle with the device open (user + system)\n",
              idle_seconds);
  print_stats("CPU time", idle_cpu_ms, "ms");
  std::printf("  = %.3f %% of one core\n", median(idle_cpu_ms) / (idle_seconds * 10.0));

  // 4. Memory over many create/play/free cycles.
  const int cycles = quick ? 2000 : 10000;
  auto cycle = [&] {
    const std::uint32_t stream = BASS_StreamCreateFile(0, effect.c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 1);
    BASS_StreamFree(stream);
  };
  for (int i = 0; i < 500; ++i) cycle();
  const double rss_start = rss_mib();
  std::printf("\n4. Resident memory over %d create/play/free cycles (after 500 warm-up)\n", cycles);
  std::printf("  start %.2f MiB", rss_start);
  const auto t0 = Clock::now();
  for (int i = 1; i <= cycles; ++i) {
    cycle();
    if (i % (cycles / 5) == 0) std::printf(", %d: %.2f", i, rss_mib());
  }
  const double per_cycle_ms =
      std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / cycles;
  std::printf("\n  growth %+.2f MiB; %.3f ms per cycle\n", rss_mib() - rss_start, per_cycle_ms);

  BASS_Free();
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return 0;
}
