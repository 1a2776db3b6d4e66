// Click-to-sound on one sound server: times real X clicks and function-key presses on running
// boards against paplay of the same file and against the floor of the path (a stream that is
// already open with a 5 ms buffer, switched from silence to a tone), all in one run, taking the
// sources in turn so that whatever drifts on the machine hits them alike.
//
// The clock starts when the click (or key, or paplay's start, or the first tone block) has been
// sent; the onset is the arrival time of the first chunk with a non-zero sample read from the
// sink's monitor by `parec --latency-msec=2` in 2 ms chunks. The recording delay is the same for
// every source. Between trials every sound is stopped (the board's "停止播放", paplay ended, the
// tone switched back to silence) and the monitor must have been silent for a while.
//
//   latency_probe --monitor SOURCE --sink SINK --file SOUND.mp3 [--rounds N] [--idle N]
//                 [--idle-seconds S] [--press-ms MS] [--raw FILE]
//                 --board LABEL DISPLAY SOUND_X SOUND_Y STOP_X STOP_Y  [--board ...]
// A click holds the button down for --press-ms (50 ms, a quick click by hand) and its time starts
// at the release, where a button acts; 0 sends press and release at once. --raw writes every
// trial: source, warm or idle, ms, and the trigger's and the onset's CLOCK_MONOTONIC times in ns,
// to line them up with timestamps taken inside a board.
// Run by latency_bench.sh, which sets up the servers and the boards.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr std::size_t kChunkBytes = kRate / 500 * kChannels * sizeof(std::int16_t);  // 2 ms

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

long long Ns(Clock::time_point at) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "latency_probe: %s\n", what.c_str());
  std::exit(1);
}

// A child process with its stdin or stdout on a pipe (or neither).
class Child {
 public:
  enum class Pipe { kNone, kStdin, kStdout };
  Child(const std::vector<std::string>& args, Pipe pipe) {
    int fds[2] = {-1, -1};
    if (pipe != Pipe::kNone && ::pipe2(fds, O_CLOEXEC) != 0) Fail("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (pipe == Pipe::kStdin) posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    if (pipe == Pipe::kStdout) posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (pipe != Pipe::kStdout)
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      Fail("cannot start " + args[0]);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (pipe == Pipe::kStdin) {
      ::close(fds[0]);
      fd_ = fds[1];
    } else if (pipe == Pipe::kStdout) {
      ::close(fds[1]);
      fd_ = fds[0];
    }
  }
  ~Child() { End(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  int fd() const { return fd_; }
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  void End() {
    Kill();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
};

// The sink's monitor, read in 2 ms chunks, each stamped as it arrives.
class Recorder {
 public:
  explicit Recorder(const std::string& monitor)
      : parec_({"parec", "--device=" + monitor, "--raw", "--latency-msec=2", "--format=s16le",
                "--rate=" + std::to_string(kRate), "--channels=" + std::to_string(kChannels)},
               Child::Pipe::kStdout),
        thread_([this] { Run(); }) {}
  ~Recorder() {
    parec_.Kill();  // the reader sees the end of its input
    thread_.join();
  }

  // The monitor may deliver nothing for a while after the recorder connects.
  bool WaitFlowing(Clock::duration timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return chunks_ > 50; });
  }
  // Stamp of the first non-silent chunk that arrived at or after `since`.
  std::optional<Clock::time_point> WaitOnset(Clock::time_point since, Clock::duration timeout) {
    std::unique_lock lock(mutex_);
    std::optional<Clock::time_point> found;
    changed_.wait_for(lock, timeout, [&] {
      for (const Clock::time_point at : sounds_) {
        if (at >= since) {
          found = at;
          return true;
        }
      }
      return false;
    });
    return found;
  }
  // True once nothing but silence has arrived for `quiet`.
  bool WaitSilence(Clock::duration quiet, Clock::duration timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
      return last_chunk_ - last_sound_ >= quiet && Clock::now() - last_chunk_ < 100ms;
    });
  }

 private:
  void Run() {
    std::int16_t samples[kChunkBytes / 2];
    for (;;) {
      const ssize_t got = ::read(parec_.fd(), samples, kChunkBytes);
      const Clock::time_point at = Clock::now();
      if (got <= 0) break;
      bool sound = false;
      for (ssize_t i = 0; i < got / 2; ++i) sound = sound || samples[i] != 0;
      std::lock_guard lock(mutex_);
      ++chunks_;
      last_chunk_ = at;
      if (sound) {
        last_sound_ = at;
        sounds_.push_back(at);
        while (sounds_.size() > 4096) sounds_.pop_front();
      }
      changed_.notify_all();
    }
  }

  Child parec_;
  std::mutex mutex_;
  std::condition_variable changed_;
  long chunks_ = 0;
  Clock::time_point last_chunk_{};
  Clock::time_point last_sound_{};
  std::deque<Clock::time_point> sounds_;
  std::thread thread_;
};

// Sound decoded in memory, 16-bit, interleaved.
struct Pcm {
  int rate = kRate;
  int channels = kChannels;
  std::vector<std::int16_t> samples;
};

// One second of a 1 kHz tone, which loops without a seam.
Pcm Tone() {
  Pcm tone;
  for (int f = 0; f < kRate; ++f) {
    const auto value = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 1000 * f / kRate));
    tone.samples.insert(tone.samples.end(), kChannels, value);
  }
  return tone;
}

Pcm Decode(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) Fail("cannot read " + path);
  Pcm pcm{.rate = info.samplerate, .channels = info.channels, .samples = {}};
  pcm.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  pcm.samples.resize(static_cast<std::size_t>(
      sf_readf_short(file, pcm.samples.data(), info.frames) * info.channels));
  sf_close(file);
  return pcm;
}

// Where the first sample that records as non-zero lies, in ms.
double LeadingSilenceMs(const Pcm& pcm) {
  const auto first =
      std::find_if(pcm.samples.begin(), pcm.samples.end(), [](std::int16_t v) { return v != 0; });
  return 1000.0 * static_cast<double>((first - pcm.samples.begin()) / pcm.channels) / pcm.rate;
}

// The floor: pacat with a 5 ms buffer, open all along, fed at real time a couple of milliseconds
// ahead at most (pacat reads its input greedily, so an unpaced writer would build a backlog),
// switched from silence to a sound that then loops.
class OpenStream {
 public:
  OpenStream(const std::string& sink, Pcm sound)
      : sound_(std::move(sound)),
        pacat_({"pacat", "--playback", "--device=" + sink, "--raw", "--latency-msec=5",
                "--format=s16le", "--rate=" + std::to_string(sound_.rate),
                "--channels=" + std::to_string(sound_.channels)},
               Child::Pipe::kStdin),
        thread_([this] { Run(); }) {}
  ~OpenStream() {
    stopping_ = true;
    thread_.join();
  }
  // Starts the sound from its beginning; returns when its first block has been written.
  Clock::time_point Start() {
    std::unique_lock lock(mutex_);
    playing_ = true;
    started_.reset();
    changed_.wait(lock, [this] { return started_.has_value(); });
    return *started_;
  }
  void Silence() {
    std::lock_guard lock(mutex_);
    playing_ = false;
  }

 private:
  void Run() {
    const int block_frames = sound_.rate / 1000;  // 1 ms
    const auto block_bytes =
        static_cast<int>(block_frames * sound_.channels * sizeof(std::int16_t));
    const long ahead = 2 * block_frames;
    std::vector<std::int16_t> block(static_cast<std::size_t>(block_frames * sound_.channels));
    const std::size_t length = sound_.samples.size();
    std::size_t position = 0;
    const Clock::time_point begin = Clock::now();
    long written = 0;
    while (!stopping_) {
      const auto due = static_cast<long>(Ms(Clock::now() - begin) * sound_.rate / 1000) + ahead;
      // While pacat is not reading yet (it connects) whatever is written waits in the pipe and
      // would delay the sound for good: time that passes with a full pipe is skipped.
      int queued = 0;
      ::ioctl(pacat_.fd(), FIONREAD, &queued);
      if (queued > 4 * block_bytes) written = std::max(written, due);
      while (written < due) {
        bool playing;
        {
          std::lock_guard lock(mutex_);
          playing = playing_;
        }
        if (!playing) position = 0;
        for (std::int16_t& sample : block) {
          sample = playing ? sound_.samples[position] : 0;
          if (playing) position = (position + 1) % length;
        }
        if (::write(pacat_.fd(), block.data(), block_bytes) != block_bytes) {
          Fail("pacat stopped reading");
        }
        written += block_frames;
        if (playing) {
          std::lock_guard lock(mutex_);
          if (!started_) {
            started_ = Clock::now();
            changed_.notify_all();
          }
        }
      }
      std::this_thread::sleep_for(500us);
    }
  }

  const Pcm sound_;
  Child pacat_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool playing_ = false;
  std::optional<Clock::time_point> started_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// Real input on one X server through the XTEST extension.
class XInput {
 public:
  explicit XInput(const std::string& display) {
    connection_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection_)) Fail("cannot connect to " + display);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    constexpr xcb_keysym_t kF3 = 0xffc0;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, kF3);
    if (codes == nullptr || codes[0] == XCB_NO_SYMBOL) Fail("no key for F3 on " + display);
    f3_ = codes[0];
    std::free(codes);
    xcb_key_symbols_free(symbols);
  }
  ~XInput() { xcb_disconnect(connection_); }

  void MoveTo(int x, int y) {
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, x, y, 0);
    Sync();
  }
  // The left button where the pointer is, pressed and released `held` later (a button acts on
  // its release); returns when the release was sent.
  Clock::time_point Click(Clock::duration held) {
    Fake(XCB_BUTTON_PRESS, 1);
    if (held > Clock::duration::zero()) {
      Sync();
      std::this_thread::sleep_for(held);
    }
    Fake(XCB_BUTTON_RELEASE, 1);
    return Sent();
  }
  // F3 pressed and released (the key acts on its press); returns when the press was sent.
  Clock::time_point PressF3() {
    Fake(XCB_KEY_PRESS, f3_);
    const Clock::time_point sent = Sent();
    Fake(XCB_KEY_RELEASE, f3_);
    Sync();
    return sent;
  }

 private:
  void Sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

  void Fake(std::uint8_t type, std::uint8_t detail) {
    xcb_test_fake_input(connection_, type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  }
  Clock::time_point Sent() {
    xcb_flush(connection_);
    const Clock::time_point sent = Clock::now();
    Sync();
    return sent;
  }

  xcb_connection_t* connection_;
  xcb_window_t root_;
  xcb_keycode_t f3_ = 0;
};

struct Source {
  std::string name;
  std::function<void()> prepare;               // before the pause that precedes the trigger
  std::function<Clock::time_point()> trigger;  // returns when the trigger was sent
  std::function<void()> stop;
};

struct Figures {
  std::vector<double> warm, idle;  // ms; idle: after a long silence
  int misses = 0;
};

double Quantile(std::vector<double> v, double q) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(v.size())));
  return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
}

struct Options {
  std::string monitor, sink, file, raw;
  int rounds = 15, idle = 3, idle_seconds = 10, press_ms = 50;
  struct Board {
    std::string label, display;
    int sound_x, sound_y, stop_x, stop_y;
  };
  std::vector<Board> boards;
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) Fail(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--monitor")
      o.monitor = next();
    else if (arg == "--sink")
      o.sink = next();
    else if (arg == "--file")
      o.file = next();
    else if (arg == "--raw")
      o.raw = next();
    else if (arg == "--rounds")
      o.rounds = std::max(1, std::stoi(next()));
    else if (arg == "--idle")
      o.idle = std::max(0, std::stoi(next()));
    else if (arg == "--press-ms")
      o.press_ms = std::max(0, std::stoi(next()));
    else if (arg == "--idle-seconds")
      o.idle_seconds = std::max(1, std::stoi(next()));
    else if (arg == "--board") {
      Options::Board b;
      b.label = next();
      b.display = next();
      b.sound_x = std::stoi(next());
      b.sound_y = std::stoi(next());
      b.stop_x = std::stoi(next());
      b.stop_y = std::stoi(next());
      o.boards.push_back(b);
    } else {
      Fail("unknown argument " + arg);
    }
  }
  if (o.monitor.empty() || o.sink.empty() || o.file.empty())
    Fail("--monitor, --sink and --file are needed");
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  Recorder recorder(options.monitor);
  if (!recorder.WaitFlowing(10s)) Fail("the monitor delivers nothing");
  if (!recorder.WaitSilence(300ms, 10s)) Fail("the monitor is never silent");

  std::vector<Source> sources;
  const Pcm file = Decode(options.file);
  OpenStream tone(options.sink, Tone());
  OpenStream open_file(options.sink, file);
  sources.push_back({.name = "floor: open 5 ms stream",
                     .prepare = [] {},
                     .trigger = [&] { return tone.Start(); },
                     .stop = [&] { tone.Silence(); }});
  sources.push_back({.name = "floor2: the file on it",
                     .prepare = [] {},
                     .trigger = [&] { return open_file.Start(); },
                     .stop = [&] { open_file.Silence(); }});
  std::unique_ptr<Child> paplay;
  sources.push_back(
      {.name = "paplay of the file",
       .prepare = [] {},
       .trigger =
           [&] {
             const Clock::time_point at = Clock::now();
             paplay = std::make_unique<Child>(
                 std::vector<std::string>{"paplay", "--device=" + options.sink, options.file},
                 Child::Pipe::kNone);
             return at;
           },
       .stop = [&] { paplay.reset(); }});
  std::vector<std::unique_ptr<XInput>> inputs;
  const Clock::duration held = std::chrono::milliseconds(options.press_ms);
  for (const Options::Board& b : options.boards) {
    XInput* input = inputs.emplace_back(std::make_unique<XInput>(b.display)).get();
    auto stop = [input, b, held] {
      input->MoveTo(b.stop_x, b.stop_y);
      std::this_thread::sleep_for(20ms);
      input->Click(held);
    };
    sources.push_back({.name = b.label + ": click",
                       .prepare = [input, b] { input->MoveTo(b.sound_x, b.sound_y); },
                       .trigger = [input, held] { return input->Click(held); },
                       .stop = stop});
    sources.push_back({.name = b.label + ": F3",
                       .prepare = [] {},
                       .trigger = [input] { return input->PressF3(); },
                       .stop = stop});
  }

  std::FILE* raw = options.raw.empty() ? nullptr : std::fopen(options.raw.c_str(), "w");
  std::mt19937 random(18);
  std::uniform_int_distribution<int> pause_ms(40, 140);
  std::vector<Figures> figures(sources.size());
  auto trial = [&](std::size_t index, Clock::duration quiet, bool idle) {
    const Source& source = sources[index];
    Figures& result = figures[index];
    if (!recorder.WaitSilence(quiet, quiet + 15s)) {
      std::fprintf(stderr, "latency_probe: no silence before %s\n", source.name.c_str());
    }
    source.prepare();
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms(random)));
    const Clock::time_point sent = source.trigger();
    const std::optional<Clock::time_point> onset = recorder.WaitOnset(sent, 3s);
    std::this_thread::sleep_for(30ms);
    source.stop();
    if (!onset) {
      ++result.misses;
      if (raw)
        std::fprintf(raw, "%s\t%s\tmiss\t%lld\n", source.name.c_str(), idle ? "idle" : "warm",
                     Ns(sent));
      return;
    }
    const double ms = Ms(*onset - sent);
    (idle ? result.idle : result.warm).push_back(ms);
    if (raw) {
      std::fprintf(raw, "%s\t%s\t%.2f\t%lld\t%lld\n", source.name.c_str(), idle ? "idle" : "warm",
                   ms, Ns(sent), Ns(*onset));
    }
  };

  for (int round = 0; round < options.rounds; ++round) {
    for (std::size_t i = 0; i < sources.size(); ++i) {
      trial((i + round) % sources.size(), 200ms, false);
    }
  }
  for (int round = 0; round < options.idle; ++round) {
    for (std::size_t i = 0; i < sources.size(); ++i) {
      trial((i + round) % sources.size(), std::chrono::seconds(options.idle_seconds), true);
    }
  }
  if (raw) std::fclose(raw);

  // The second floor plays the same file as the board, leading silence and all.
  const double floor = Quantile(figures[0].warm, 0.5);
  const double file_floor = Quantile(figures[1].warm, 0.5);
  std::printf("  %-26s %7s %7s %8s %8s", "source (ms to sound)", "median", "p90", "x floor",
              "x floor2");
  if (options.idle > 0) std::printf("   %12s %8s", "idle median", "x floor");
  std::printf("\n");
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const Figures& s = figures[i];
    const double median = Quantile(s.warm, 0.5);
    std::printf("  %-26s %7.1f %7.1f %8.2f %8.2f", sources[i].name.c_str(), median,
                Quantile(s.warm, 0.9), median / floor, median / file_floor);
    if (options.idle > 0) {
      const double idle = Quantile(s.idle, 0.5);
      std::printf("   %12.1f %8.2f", idle, idle / floor);
    }
    if (s.misses > 0) std::printf("   (%d without sound)", s.misses);
    std::printf("\n");
  }
  std::printf("  %d trials per source in turn; idle: %d more each after %d s without sound\n",
              options.rounds, options.idle, options.idle_seconds);
  std::printf("  the file's first sample that records as non-zero lies %.1f ms into it\n",
              LeadingSilenceMs(file));
  return 0;
}
