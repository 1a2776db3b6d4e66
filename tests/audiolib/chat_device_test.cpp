// The virtual microphone against real sound servers, PulseAudio and PipeWire, each started by
// the test in a private runtime folder. The host's microphone is a null sink whose monitor is the
// default source, fed a 300 Hz tone; the host's speakers are another null sink, the default
// sink. Effects are 1 kHz tones. What the room hears is recorded from kalvor_mic.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "audiolib/bass_library.h"
#include "tests/audiolib/chat_recording.h"
#include "tests/audiolib/test_sound_files.h"
#include "tests/support/pulse_server.h"
#include "tests/support/wait_until.h"

namespace kalvor::test {
namespace {

using namespace std::chrono_literals;
using Kind = PulseServer::Kind;

constexpr const char* kChatDevice = "Kalvor 虚拟麦克风（聊天室能听到）";
constexpr double kVoice = 300.0;
constexpr double kEffect = 1000.0;
constexpr double kEffectSeconds = 1.0;

// The number of the virtual microphone in the device list, 0 when it is not listed.
uint32_t ChatDevice() {
  BASS_DEVICEINFO info{};
  for (uint32_t n = 1; BASS_GetDeviceInfo(n, &info) != 0; ++n) {
    if (std::strcmp(info.name, kChatDevice) == 0) return n;
  }
  return 0;
}

// A program of its own, in a process group of its own (with the watcher it starts).
class Child {
 public:
  explicit Child(const std::vector<std::string>& command) {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      std::vector<char*> argv;
      for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    setpgid(pid_, pid_);
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = fdopen(out[0], "r");
  }
  ~Child() {
    if (pid_ > 0) {
      kill(-pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (to_ >= 0) close(to_);
    if (from_ != nullptr) fclose(from_);
  }
  pid_t pid() const { return pid_; }

  // Sends a command and returns the answer line ("" when the child is gone).
  std::string Ask(const std::string& command) {
    const std::string line = command + "\n";
    if (write(to_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return {};
    return ReadLine();
  }
  std::string ReadLine() {
    char buffer[256];
    if (from_ == nullptr || std::fgets(buffer, sizeof buffer, from_) == nullptr) return {};
    std::string text = buffer;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  void Send(const std::string& command) {
    const std::string line = command + "\n";
    (void)!write(to_, line.data(), line.size());
  }
  // Waits for the process (not the group) to end.
  void Reap() {
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  // SIGKILL to the process alone, or to its whole group (the watcher too).
  void Kill(bool group) {
    kill(group ? -pid_ : pid_, SIGKILL);
    if (group) {
      // The watcher is gone once nothing of the group is left.
      WaitUntil([this] { return kill(-pid_, 0) != 0; }, 5s);
    }
    Reap();
  }

 private:
  pid_t pid_ = -1;
  int to_ = -1;
  FILE* from_ = nullptr;
};

class ChatDeviceTest : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    if (!PulseServer::Installed(GetParam())) {
      GTEST_SKIP() << PulseServer::Name(GetParam()) << " is not installed";
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    // No data.ini unless a test writes one.
    data_home_ = files_.folder("data");
    ::setenv("XDG_DATA_HOME", data_home_.c_str(), 1);
    server_ = std::make_unique<PulseServer>(GetParam());
    ASSERT_TRUE(server_->Start()) << server_->Error();
    std::string info;
    ASSERT_TRUE(server_->Pactl("info", &info));
    const std::size_t sampleSpec = info.find("Default Sample Spec");
    ASSERT_NE(sampleSpec, std::string::npos);
    rate_ = std::atoi(info.c_str() + info.find("ch ", sampleSpec) + 3);
    ASSERT_GT(rate_, 0) << info;
    ASSERT_GE(server_->LoadNullSink("hostmic"), 0);
    ASSERT_GE(server_->LoadNullSink("speakers"), 0);
  }

  void TearDown() override {
    BASS_Free();
    voice_.reset();
  }

  // The defaults as a user who chose them has them.
  void ChooseDefaults() {
    ASSERT_TRUE(server_->Pactl("set-default-sink speakers"));
    ASSERT_TRUE(server_->Pactl("set-default-source hostmic.monitor"));
    ASSERT_TRUE(WaitUntil([this] { return Defaults() == "speakers hostmic.monitor"; }, 5s));
  }

  std::string Defaults() const {
    std::string sink;
    std::string source;
    server_->Pactl("get-default-sink", &sink);
    server_->Pactl("get-default-source", &source);
    auto line = [](std::string text) { return text.substr(0, text.find('\n')); };
    return line(sink) + " " + line(source);
  }

  int CountMics() const {
    std::string sources;
    server_->Pactl("list short sources", &sources);
    int count = 0;
    for (std::size_t at = sources.find("\tkalvor_mic\t"); at != std::string::npos;
         at = sources.find("\tkalvor_mic\t", at + 1)) {
      ++count;
    }
    return count;
  }

  // Whether one of our modules is loaded, made by the given process (any when 0).
  bool HasModules(pid_t owner = 0) const {
    std::string modules;
    server_->Pactl("list short modules", &modules);
    std::string tag = "kalvor.owner=";
    if (owner != 0) tag += std::to_string(owner);
    return modules.find(tag) != std::string::npos;
  }

  // Feeds the host's microphone a 300 Hz tone.
  void StartVoice(double amplitude) {
    const Tone tone{.frequency = kVoice, .amplitude = amplitude, .seconds = 60, .rate = rate_};
    voice_ = std::make_unique<Child>(
        std::vector<std::string>{"paplay", "-d", "hostmic", files_.wav("voice.wav", tone)});
  }

  void WriteSettings(const std::string& text) {
    std::filesystem::create_directories(data_home_ + "/kalvor");
    std::ofstream(data_home_ + "/kalvor/data.ini", std::ios::binary) << text;
  }

  void OpenChat() {
    const uint32_t device = ChatDevice();
    ASSERT_NE(device, 0u) << "the virtual microphone is not listed";
    ASSERT_NE(BASS_Init(static_cast<int>(device), 44100, 0, nullptr, nullptr), 0);
    ASSERT_TRUE(WaitUntil([this] { return CountMics() == 1; }, 5s)) << "no kalvor_mic";
  }

  // Whether every stream of ours into the server is corked: nothing is asked of the board.
  bool OursAllCorked() const {
    std::string inputs;
    server_->Pactl("list sink-inputs", &inputs);
    const std::string marker = "Sink Input #";
    for (std::size_t at = inputs.find(marker); at != std::string::npos;) {
      const std::size_t next = inputs.find(marker, at + 1);
      const std::string block = inputs.substr(at, next - at);
      if (block.find("application.name = \"Kalvor\"") != std::string::npos &&
          block.find("Corked: yes") == std::string::npos) {
        return false;
      }
      at = next;
    }
    return true;
  }

  // The server's number of a source, -1 when there is none.
  int SourceIndex(const std::string& name) const {
    std::string sources;
    server_->Pactl("list short sources", &sources);
    const std::size_t at = sources.find('\t' + name + '\t');
    if (at == std::string::npos) return -1;
    const std::size_t line = sources.rfind('\n', at);
    return std::atoi(sources.c_str() + (line == std::string::npos ? 0 : line + 1));
  }

  // Whether something records the source.
  bool Recorded(const std::string& source) const {
    const int index = SourceIndex(source);
    std::string outputs;
    server_->Pactl("list short source-outputs", &outputs);
    const std::string column = '\t' + std::to_string(index) + '\t';
    for (std::size_t line = 0; index >= 0 && line < outputs.size();) {
      const std::size_t end = outputs.find('\n', line);
      const std::string row = outputs.substr(line, end - line);
      if (row.find('\t') == row.find(column)) return true;
      line = end == std::string::npos ? outputs.size() : end + 1;
    }
    return false;
  }

  // PipeWire's session manager puts a recording of a source it has not taken note of yet on the
  // default source instead: start again until it sits where it should.
  void StartRecording(ChatRecording& recording, const std::string& source) {
    ASSERT_TRUE(WaitUntil(
        [&] { return recording.Start(source) && WaitUntil([&] { return Recorded(source); }, 1s); },
        10s))
        << "cannot record " << source;
  }

  // Records the virtual microphone and the speakers while an effect plays at a volume.
  void PlayAndRecord(double volume, double amplitude = 1.0) {
    mic_ = std::make_unique<ChatRecording>((files_.dir() / "mic.raw").string(), rate_);
    speakers_ = std::make_unique<ChatRecording>((files_.dir() / "speakers.raw").string(), rate_);
    StartRecording(*mic_, "kalvor_mic");
    StartRecording(*speakers_, "speakers.monitor");
    // A fresh recording of a monitor may stay empty for a while, and the voice's delay settles
    // in its first second: play once both have delivered a second.
    ASSERT_TRUE(
        WaitUntil([&] { return mic_->Seconds() > 1.0 && speakers_->Seconds() > 1.0; }, 10s));
    const double from = mic_->Seconds();
    const Tone effect{.frequency = kEffect, .amplitude = amplitude, .seconds = kEffectSeconds};
    const uint32_t stream =
        BASS_StreamCreateFile(0, files_.wav("effect.wav", effect).c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    ASSERT_NE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, static_cast<float>(volume)), 0);
    ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
    const double until = from + kEffectSeconds + 0.8;
    ASSERT_TRUE(
        WaitUntil([&] { return mic_->Seconds() > until && speakers_->Seconds() > until; }, 10s));
    mic_->Stop();
    speakers_->Stop();
  }

  // The blocks of a recording wholly inside the effect; fails unless it lasted as long as it
  // should, give or take the few blocks a busy machine drops (a server that has just restarted
  // may drop 150 ms of the first second).
  std::vector<std::size_t> EffectBlocks(const ChatRecording& recording, const char* what) {
    std::vector<std::size_t> blocks = recording.BlocksWith(kEffect, 0.1);
    const auto expected = static_cast<std::size_t>(kEffectSeconds / ChatRecording::kBlockSeconds);
    EXPECT_GE(blocks.size() + 4, expected) << "the effect is missing from " << what;
    if (blocks.size() > 2) {
      blocks.erase(blocks.begin());
      blocks.pop_back();
    }
    return blocks;
  }

  // The median level of a frequency over some blocks: a busy machine may drop a few milliseconds
  // here and there, which is not what these tests are about.
  static double Typical(const ChatRecording& recording, double frequency,
                        const std::vector<std::size_t>& blocks) {
    std::vector<double> levels;
    for (const std::size_t block : blocks) levels.push_back(recording.Level(frequency, block));
    if (levels.empty()) return 0.0;
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    return levels[levels.size() / 2];
  }

  // The highest level of a frequency, leaving out the blocks at the effect's start and end,
  // which spread over every frequency.
  static double Highest(const ChatRecording& recording, double frequency) {
    const std::vector<std::size_t> effect = recording.BlocksWith(kEffect, 0.01);
    double highest = 0.0;
    for (std::size_t b = 0; b < recording.Blocks(); ++b) {
      const auto near = [b](std::size_t edge) { return b + 1 >= edge && b <= edge + 1; };
      const bool near_edge = !effect.empty() && (near(effect.front()) || near(effect.back()));
      if (!near_edge) highest = std::max(highest, recording.Level(frequency, b));
    }
    return highest;
  }

  TestSoundFiles files_;
  std::string data_home_;
  std::unique_ptr<PulseServer> server_;
  int rate_ = 0;
  std::unique_ptr<Child> voice_;
  std::unique_ptr<ChatRecording> mic_;
  std::unique_ptr<ChatRecording> speakers_;
};

TEST_P(ChatDeviceTest, RoomHearsVoiceAndEffectUnclippedHostHearsTheEffect) {
  ChooseDefaults();
  StartVoice(1.0);
  OpenChat();
  EXPECT_EQ(Defaults(), "speakers hostmic.monitor");
  // Both at full scale.
  PlayAndRecord(1.0);
  EXPECT_EQ(Defaults(), "speakers hostmic.monitor");

  const std::vector<std::size_t> mixed = EffectBlocks(*mic_, "kalvor_mic");
  EXPECT_GT(Typical(*mic_, kVoice, mixed), 0.3) << "the voice is missing beside the effect";
  EXPECT_LT(mic_->Peak(), 1.0f) << "the sum clips";
  EffectBlocks(*speakers_, "the speakers");
  // The voice is at full scale; a few milliseconds lost on a busy machine spread the loud
  // effect a little into every frequency, never this far.
  EXPECT_LT(Highest(*speakers_, kVoice), 0.05) << "the host hears their own voice";

  EXPECT_NE(BASS_Free(), 0);
  EXPECT_TRUE(WaitUntil([&] { return CountMics() == 0 && !HasModules(); }, 3s));
  EXPECT_EQ(Defaults(), "speakers hostmic.monitor");
}

TEST_P(ChatDeviceTest, SettingsLeaveOutTheMicrophoneOrTheSpeakers) {
  ChooseDefaults();
  StartVoice(0.5);
  // GBK with CRLF, as the program writes it.
  WriteSettings("[data]\r\nid=3\r\nname=\xC9\xF9\xD2\xF4\r\n[chat]\r\nmic=2\r\n");
  OpenChat();
  PlayAndRecord(0.5);
  // The board's volume, and nothing else in the room.
  EXPECT_NEAR(Typical(*mic_, kEffect, EffectBlocks(*mic_, "kalvor_mic")), 0.5, 0.05);
  EXPECT_LT(Highest(*mic_, kVoice), 0.05) << "mic=2 still sends the voice";
  EffectBlocks(*speakers_, "the speakers");
  // With no voice to pass through, the board rests once the effect is over.
  EXPECT_TRUE(WaitUntil([&] { return OursAllCorked(); }, 3s));
  ASSERT_NE(BASS_Free(), 0);

  WriteSettings("[Chat]\n monitor = \"2\"\n");
  OpenChat();
  PlayAndRecord(0.5, 0.4);
  EXPECT_NEAR(Typical(*mic_, kVoice, EffectBlocks(*mic_, "kalvor_mic")), 0.5, 0.05)
      << "the voice passes at unity";
  EXPECT_LT(Highest(*speakers_, kEffect), 0.01) << "monitor=2 still plays on the speakers";
}

// Defaults the server picked itself (nobody chose them) stay as they were too, although a new
// microphone would otherwise win over a monitor.
TEST_P(ChatDeviceTest, DefaultsTheServerPickedStayPut) {
  // The server's own pick among the sinks it has: the one it started with.
  const std::string before = "kalvorfaults kalvorfaults.monitor";
  ASSERT_TRUE(WaitUntil([&] { return Defaults() == before; }, 5s)) << Defaults();
  OpenChat();
  EXPECT_FALSE(WaitUntil([&] { return Defaults() != before; }, 1500ms))
      << "now " << Defaults() << ", was " << before;
  ASSERT_NE(BASS_Free(), 0);
  EXPECT_EQ(Defaults(), before);
}

TEST_P(ChatDeviceTest, BoardsEndingAnyWayLeaveAtMostOneMicrophone) {
  const std::vector<std::string> board{KALVOR_CHAT_TEST_BOARD};
  // Killed together with its watcher: the modules stay behind ...
  auto first = std::make_unique<Child>(board);
  ASSERT_EQ(first->ReadLine(), "ready");
  ASSERT_EQ(first->Ask("open"), "ok");
  ASSERT_TRUE(WaitUntil([&] { return HasModules(first->pid()) && CountMics() == 1; }, 5s));
  first->Kill(true);
  EXPECT_EQ(CountMics(), 1);
  // ... until the next board opens the device: still exactly one.
  Child second(board);
  ASSERT_EQ(second.ReadLine(), "ready");
  ASSERT_EQ(second.Ask("open"), "ok");
  // Its sink comes before its microphone, and the killed board's go first.
  ASSERT_TRUE(WaitUntil([&] { return HasModules(second.pid()) && CountMics() >= 1; }, 5s));
  EXPECT_FALSE(HasModules(first->pid()));
  EXPECT_EQ(CountMics(), 1);
  // Killed alone, its watcher clears up.
  second.Kill(false);
  EXPECT_TRUE(WaitUntil([&] { return CountMics() == 0 && !HasModules(); }, 3s));

  // Ended the way the program leaves on a fatal error, and normally.
  for (const char* ending : {"abandon", "exit"}) {
    Child board_process(board);
    ASSERT_EQ(board_process.ReadLine(), "ready");
    ASSERT_EQ(board_process.Ask("open"), "ok");
    ASSERT_TRUE(WaitUntil([&] { return CountMics() == 1; }, 5s));
    board_process.Send(ending);
    board_process.Reap();
    EXPECT_TRUE(WaitUntil([&] { return CountMics() == 0 && !HasModules(); }, 3s)) << ending;
  }
}

TEST_P(ChatDeviceTest, ComesBackByItselfAfterTheServerRestarts) {
  OpenChat();
  server_->Kill();
  ASSERT_TRUE(server_->Start()) << server_->Error();
  EXPECT_TRUE(WaitUntil([&] { return CountMics() == 1; }, 2s)) << "not back within 2 s";
  ASSERT_TRUE(WaitUntil([&] { return CountMics() == 1; }, 5s));
  // The speakers went with the old server; only the room is listened to here.
  ASSERT_GE(server_->LoadNullSink("speakers"), 0);
  PlayAndRecord(1.0);
  EffectBlocks(*mic_, "kalvor_mic after the restart");
}

INSTANTIATE_TEST_SUITE_P(Servers, ChatDeviceTest,
                         ::testing::Values(Kind::kPulseAudio, Kind::kPipeWire),
                         [](const auto& info) { return PulseServer::Name(info.param); });

TEST(ChatDeviceWithoutServer, IsNotListedAndTheRestStays) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::setenv("PULSE_SERVER", "unix:/nonexistent/kalvor/native", 1);
  BASS_DEVICEINFO info{};
  uint32_t count = 0;
  while (BASS_GetDeviceInfo(count + 1, &info) != 0) {
    ++count;
    EXPECT_STRNE(info.name, kChatDevice);
  }
  // The default output and the one output of SDL's dummy driver.
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(BASS_Init(static_cast<int>(count) + 1, 44100, 0, nullptr, nullptr), 0);
}

}  // namespace
}  // namespace kalvor::test
