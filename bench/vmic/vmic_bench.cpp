// Delays of the virtual microphone, on PulseAudio and on PipeWire (each started here in a private
// runtime folder, as the tests do), measured side by side in one run and given as medians:
//   effect   BASS_ChannelPlay to the first sound in a recording of kalvor_mic, with the host's
//            microphone passing through (the mix stream running) and without it (the mix stream
//            started from idle);
//   floor    the same for a stream that is already open with a 5 ms buffer into the same sink
//            and switches from silence to a tone: what any client would get at best;
//   voice    a click on the host's microphone, heard in kalvor_mic minus heard on the microphone
//            itself: the delay the pass-through adds;
//   idle     CPU time of this process over a few seconds with nothing playing;
//   calls    how long the caller (the program's UI thread) waits in listing the devices, opening
//            the virtual microphone and closing it again, and in listing them with no server.
// Every recording is stamped chunk by chunk (2 ms) as it arrives; the recording's own delay is
// the same for all sources, so differences between them are what counts.
// Usage: vmic_bench [--quick]
#include <pulse/simple.h>
#include <sndfile.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audiolib/bass_library.h"
#include "tests/support/pulse_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using kalvor::test::PulseServer;
using namespace std::chrono_literals;

constexpr int kChunkMs = 2;
constexpr float kLoud = 0.05f;

double median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

double ms_between(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

bool wait_until(const auto& condition, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

pa_sample_spec spec(int rate) {
  return {PA_SAMPLE_FLOAT32LE, static_cast<uint32_t>(rate), 2};
}

uint32_t bytes(int rate, int ms) {
  return static_cast<uint32_t>(rate * ms / 1000 * 8);
}

// A source recorded in 2 ms chunks, each stamped when it arrives.
class Recorder {
 public:
  Recorder(const char* source, int rate) : rate_(rate) {
    const pa_sample_spec format = spec(rate);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.fragsize = bytes(rate, kChunkMs);
    stream_ = pa_simple_new(nullptr, "vmic_bench", PA_STREAM_RECORD, source, "record", &format,
                            nullptr, &attributes, nullptr);
    if (stream_ != nullptr) thread_ = std::thread([this] { run(); });
  }
  ~Recorder() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (stream_ != nullptr) pa_simple_free(stream_);
  }
  bool ok() const { return stream_ != nullptr; }

  // Stamp of the first chunk after from that holds a loud sample.
  std::optional<Clock::time_point> onset_after(Clock::time_point from) {
    std::lock_guard lock(mutex_);
    for (const Chunk& chunk : chunks_) {
      if (chunk.stamp > from && chunk.loud) return chunk.stamp;
    }
    return std::nullopt;
  }
  bool loud_after(Clock::time_point from) { return onset_after(from).has_value(); }
  // Waits for the sound that follows from, up to a second.
  std::optional<Clock::time_point> wait_onset(Clock::time_point from) {
    std::optional<Clock::time_point> found;
    wait_until([&] { return (found = onset_after(from)).has_value(); }, 1000ms);
    return found;
  }
  // True once a whole chunk after from has been silent.
  bool quiet_since(Clock::time_point from) {
    std::lock_guard lock(mutex_);
    return !chunks_.empty() && chunks_.back().stamp > from && !chunks_.back().loud;
  }

 private:
  struct Chunk {
    Clock::time_point stamp;
    bool loud;
  };
  void run() {
    std::vector<float> samples(static_cast<std::size_t>(rate_ * kChunkMs / 1000 * 2));
    while (!stop_) {
      if (pa_simple_read(stream_, samples.data(), samples.size() * sizeof(float), nullptr) < 0) {
        return;
      }
      const auto now = Clock::now();
      bool loud = false;
      for (const float s : samples) loud = loud || std::fabs(s) > kLoud;
      std::lock_guard lock(mutex_);
      chunks_.push_back({now, loud});
      if (chunks_.size() > 20000) chunks_.erase(chunks_.begin(), chunks_.begin() + 10000);
    }
  }

  const int rate_;
  pa_simple* stream_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Chunk> chunks_;
};

// A stream already open with a 5 ms buffer, writing silence in 2 ms steps until told to play a
// short tone. pa_simple_write blocks while the buffer is full, which paces it at real time.
class OpenStream {
 public:
  OpenStream(const char* sink, int rate) : rate_(rate) {
    const pa_sample_spec format = spec(rate);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = bytes(rate, 5);
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(-1);
    stream_ = pa_simple_new(nullptr, "vmic_bench", PA_STREAM_PLAYBACK, sink, "open stream", &format,
                            nullptr, &attributes, nullptr);
    if (stream_ != nullptr) thread_ = std::thread([this] { run(); });
  }
  ~OpenStream() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (stream_ != nullptr) pa_simple_free(stream_);
  }
  bool ok() const { return stream_ != nullptr; }
  void play() { pending_ = true; }

 private:
  void run() {
    const std::size_t frames = static_cast<std::size_t>(rate_ * kChunkMs / 1000);
    std::vector<float> silence(2 * frames, 0.0f);
    std::vector<float> tone(2 * frames);
    int tone_chunks = 0;
    long phase = 0;
    while (!stop_) {
      if (pending_.exchange(false)) tone_chunks = 10;
      const float* data = silence.data();
      if (tone_chunks > 0) {
        --tone_chunks;
        for (std::size_t i = 0; i < frames; ++i, ++phase) {
          tone[2 * i] = tone[2 * i + 1] =
              0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 1500.0 * phase / rate_));
        }
        data = tone.data();
      }
      if (pa_simple_write(stream_, data, 2 * frames * sizeof(float), nullptr) < 0) return;
    }
  }

  const int rate_;
  pa_simple* stream_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> pending_{false};
};

std::string write_effect(const std::filesystem::path& dir) {
  const std::string path = (dir / "effect.wav").string();
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  std::vector<float> samples(2 * 44100 / 50);
  for (std::size_t i = 0; i < samples.size() / 2; ++i) {
    samples[2 * i] = samples[2 * i + 1] =
        0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 1000.0 * i / 44100));
  }
  sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / 2));
  sf_close(file);
  return path;
}

// The server's number for a device ("sources" or "sinks"), -1 when there is none.
int device_index(const PulseServer& server, const char* kind, const std::string& name) {
  std::string list;
  server.Pactl(std::string("list short ") + kind, &list);
  const std::size_t at = list.find('\t' + name + '\t');
  if (at == std::string::npos) return -1;
  const std::size_t line = list.rfind('\n', at);
  return std::atoi(list.c_str() + (line == std::string::npos ? 0 : line + 1));
}

// How many streams ("source-outputs" or "sink-inputs") are attached to a device.
int streams_on(const PulseServer& server, const char* kind, int device) {
  std::string list;
  server.Pactl(std::string("list short ") + kind, &list);
  int count = 0;
  for (std::size_t line = 0; line < list.size();) {
    const std::size_t end = list.find('\n', line);
    const std::size_t tab = list.find('\t', line);
    if (tab != std::string::npos && tab < end && std::atoi(list.c_str() + tab + 1) == device) {
      ++count;
    }
    line = end == std::string::npos ? list.size() : end + 1;
  }
  return count;
}

// PipeWire's session manager puts a stream bound for a device it has not taken note of yet on
// the default device instead: make it again until it sits where it should.
template <typename Stream>
std::unique_ptr<Stream> attached(const PulseServer& server, const char* device, int rate,
                                 const char* kind, const char* streams, int expected) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    auto stream = std::make_unique<Stream>(device, rate);
    if (stream->ok() && wait_until(
                            [&] {
                              return streams_on(server, streams,
                                                device_index(server, kind, device)) >= expected;
                            },
                            1000ms)) {
      return stream;
    }
  }
  return nullptr;
}

uint32_t chat_device() {
  BASS_DEVICEINFO info{};
  uint32_t last = 0;
  while (BASS_GetDeviceInfo(last + 1, &info) != 0) ++last;
  return last > 0 && std::strcmp(info.name, "Kalvor 虚拟麦克风（聊天室能听到）") == 0 ? last : 0;
}

double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures {
  std::vector<double> effect;
  std::vector<double> floor;
  std::vector<double> voice;
};

// One trigger and the delay until mic hears it; nullopt when it never did.
template <typename Trigger>
std::optional<double> delay(Recorder& mic, Trigger trigger) {
  // Start from silence.
  const auto settle = Clock::now();
  if (!wait_until([&] { return mic.quiet_since(settle); }, 1000ms)) return std::nullopt;
  const auto at = Clock::now();
  trigger();
  const auto onset = mic.wait_onset(at);
  if (!onset) return std::nullopt;
  // Let it end before the next one.
  std::this_thread::sleep_for(120ms);
  return ms_between(at, *onset);
}

void run_effect_trials(Recorder& mic, OpenStream& floor, const std::string& effect, int trials,
                       Figures* figures) {
  for (int i = 0; i < trials; ++i) {
    if (auto ms = delay(mic, [&] { floor.play(); })) figures->floor.push_back(*ms);
    if (auto ms = delay(
            mic, [&] { BASS_ChannelPlay(BASS_StreamCreateFile(0, effect.c_str(), 0, 0, 0), 1); })) {
      figures->effect.push_back(*ms);
    }
  }
}

struct Calls {
  std::vector<double> list;
  std::vector<double> open;
  std::vector<double> close;
};

bool measure(PulseServer::Kind kind, int trials, const std::filesystem::path& dir, Calls* calls) {
  PulseServer server(kind);
  if (!server.Start()) {
    std::printf("%s: %s\n", PulseServer::Name(kind), server.Error().c_str());
    return false;
  }
  std::string info;
  server.Pactl("info", &info);
  const std::size_t at = info.find("Default Sample Spec");
  const int rate =
      at == std::string::npos ? 48000 : std::atoi(info.c_str() + info.find("ch ", at) + 3);
  server.LoadNullSink("hostmic");
  server.LoadNullSink("speakers");
  server.Pactl("set-default-sink speakers");
  server.Pactl("set-default-source hostmic.monitor");
  const std::string effect = write_effect(dir);
  const std::filesystem::path data = dir / "kalvor";
  std::filesystem::create_directories(data);
  setenv("XDG_DATA_HOME", dir.c_str(), 1);

  std::printf("\n%s (%d Hz), %d trials each\n", PulseServer::Name(kind), rate, trials);
  for (const bool with_voice : {true, false}) {
    std::ofstream(data / "data.ini")
        << (with_voice ? "[chat]\r\nmic=1\r\n" : "[chat]\r\nmic=2\r\n");
    auto begin_call = Clock::now();
    const uint32_t device = chat_device();
    calls->list.push_back(ms_between(begin_call, Clock::now()));
    begin_call = Clock::now();
    const bool opened =
        device != 0 && BASS_Init(static_cast<int>(device), 44100, 0, nullptr, nullptr) != 0;
    calls->open.push_back(ms_between(begin_call, Clock::now()));
    if (!opened) {
      std::printf("  the virtual microphone did not open\n");
      return false;
    }
    if (!wait_until(
            [&] {
              std::string sources;
              server.Pactl("list short sources", &sources);
              return sources.find("kalvor_mic") != std::string::npos;
            },
            5000ms)) {
      std::printf("  no kalvor_mic\n");
      return false;
    }
    Figures figures;
    {
      // Ours and the floor's go into the mix; the voice goes into the host's microphone.
      auto mic = attached<Recorder>(server, "kalvor_mic", rate, "sources", "source-outputs", 1);
      auto host_mic = attached<Recorder>(server, "hostmic.monitor", rate, "sources",
                                         "source-outputs", with_voice ? 2 : 1);
      auto floor = attached<OpenStream>(server, "kalvor_mix", rate, "sinks", "sink-inputs", 2);
      auto voice = attached<OpenStream>(server, "hostmic", rate, "sinks", "sink-inputs", 1);
      if (!mic || !host_mic || !floor || !voice) {
        std::printf("  the measuring streams did not connect\n");
        return false;
      }
      // Let the recordings and streams get going (a fresh monitor may lag at first).
      const auto start = Clock::now();
      wait_until(
          [&] { return mic->quiet_since(start + 300ms) && host_mic->quiet_since(start + 300ms); },
          5000ms);
      run_effect_trials(*mic, *floor, effect, trials, &figures);
      if (with_voice) {
        for (int i = 0; i < trials; ++i) {
          const auto settle = Clock::now();
          wait_until([&] { return mic->quiet_since(settle) && host_mic->quiet_since(settle); },
                     1000ms);
          const auto when = Clock::now();
          voice->play();
          const auto heard = host_mic->wait_onset(when);
          const auto passed = mic->wait_onset(when);
          if (heard && passed) figures.voice.push_back(ms_between(*heard, *passed));
          std::this_thread::sleep_for(120ms);
        }
      }
    }
    const double effect_ms = median(figures.effect);
    const double floor_ms = median(figures.floor);
    std::printf("  %-27s effect %6.1f ms   floor %6.1f ms   difference %+6.1f ms  (goal <= +15)\n",
                with_voice ? "microphone passing through:" : "microphone off (idle start):",
                effect_ms, floor_ms, effect_ms - floor_ms);
    if (with_voice) {
      std::printf("  %-27s added %6.1f ms (goal <= 30)\n",
                  "voice pass-through:", median(figures.voice));
    }
    // Nothing plays: what the library costs while it waits.
    const double before = cpu_seconds();
    const auto begin = Clock::now();
    std::this_thread::sleep_for(3s);
    const double cpu = cpu_seconds() - before;
    std::printf("  %-27s %.2f %% of one core\n",
                with_voice ? "idle CPU, voice passing:" : "idle CPU, microphone off:",
                100.0 * cpu / (ms_between(begin, Clock::now()) / 1000.0));
    begin_call = Clock::now();
    BASS_Free();
    calls->close.push_back(ms_between(begin_call, Clock::now()));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const int trials = quick ? 7 : 31;
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  std::string pattern = (std::filesystem::temp_directory_path() / "kalvor-vmic-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const std::filesystem::path dir = pattern;
  std::printf("Virtual microphone: delays to kalvor_mic, medians (ms)\n");
  int measured = 0;
  for (const auto kind : {PulseServer::Kind::kPulseAudio, PulseServer::Kind::kPipeWire}) {
    if (!PulseServer::Installed(kind)) {
      std::printf("\n%s: not installed\n", PulseServer::Name(kind));
      continue;
    }
    Calls calls;
    // A few more opens and closes, for the waits alone.
    if (measure(kind, trials, dir, &calls)) ++measured;
    std::printf("  calls (median of %zu): device list %.1f ms, open %.1f ms, close %.1f ms\n",
                calls.open.size(), median(calls.list), median(calls.open), median(calls.close));
  }
  // Without a server the virtual microphone is looked for and not found.
  setenv("PULSE_SERVER", "unix:/nonexistent/kalvor-bench", 1);
  std::vector<double> bare;
  for (int i = 0; i < 20; ++i) {
    const auto begin = Clock::now();
    chat_device();
    bare.push_back(ms_between(begin, Clock::now()));
  }
  std::printf("\nNo sound server: device list %.2f ms (median of %zu)\n", median(bare),
              bare.size());
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return measured > 0 ? 0 : 1;
}
