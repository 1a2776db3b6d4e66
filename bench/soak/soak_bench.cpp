// Soak benchmark: 10,000 clicks on the built-in sound buttons and 10,000 function-key presses,
// each at the fastest rate the event loop takes, on the whole board (offscreen, the real audio
// library on SDL's dummy driver). Prints the process's resident memory, open file descriptors,
// threads and the streams alive in the library before and after each phase and along the way;
// all of them should stay flat. A play that fails ("打开文件失败") is counted.
//
// The presses take the hotkey feedback path: the host window's label raises its feedback event
// with the key's id. With Xvfb installed the keys are really registered on a private X server and
// the ids are the ones it issued; without it the ids are assigned as registration would.
//
//   soak_bench [CLICKS [PRESSES]]      (default 10000 10000)
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "board/hotkey_host.h"
#include "board/sound_catalogue.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/support/x_server.h"

namespace kalvor::test {
namespace {

int g_clicks = 10000;
int g_presses = 10000;
constexpr int kWarmUp = 300;
constexpr int kBlock = 1000;

long StatusField(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  }
  return -1;
}

int OpenDescriptors() {
  int n = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(dir)) n += entry->d_name[0] != '.';
    closedir(dir);
  }
  return n - 1;  // the listing's own descriptor
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

class SoakBench : public BoardTest {
 protected:
  struct Figures {
    long rssKb;
    int descriptors;
    long threads;
    int liveStreams;
  };

  // Streams the library still holds: every handle it ever gave out is asked for its length,
  // which only a live stream answers (handles are never given out twice).
  int LiveStreams() {
    using Length = std::uint64_t (*)(std::uint32_t, std::uint32_t);
    auto length = reinterpret_cast<Length>(P().BindExternal("libbass.so", "BASS_ChannelGetLength"));
    int live = 0;
    for (std::uint32_t h = 1; h <= highestHandle_; ++h) live += length(h, 0) != ~std::uint64_t{0};
    return live;
  }

  // Takes the recorded library calls into the totals and empties the record, whose own growth
  // would otherwise show in the memory figures.
  void Collect() {
    opens_ += Library().openedPaths.size();
    for (const std::uint32_t h : Library().createdStreams) {
      highestHandle_ = std::max(highestHandle_, h);
      failedOpens_ += h == 0;
    }
    Library().Clear();
  }

  Figures Measure() {
    Settle();
    Collect();
    return {StatusField("VmRSS"), OpenDescriptors(), StatusField("Threads"), LiveStreams()};
  }

  std::uint32_t highestHandle_ = 0;
  std::size_t opens_ = 0;
  std::size_t failedOpens_ = 0;

  static void Print(const char* when, const Figures& f) {
    std::printf("  %-22s RSS %7ld kB   fds %3d   threads %3ld   live streams %d\n", when, f.rssKb,
                f.descriptors, f.threads, f.liveStreams);
  }

  int FailedPlays() const {
    int failed = 0;
    for (const ShownMessage& m : PlatformSeam::Instance().Messages())
      failed += m.text == "打开文件失败";
    return failed;
  }

  // Runs `count` operations, timing blocks of kBlock; prints the figures after every block.
  template <typename Operation>
  void Phase(const char* name, int count, Operation operation) {
    std::printf("%s: %d\n", name, count);
    Print("before", Measure());
    std::vector<double> perSecond;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
      operation(i);
      if ((i + 1) % kBlock == 0 || i + 1 == count) {
        const auto now = std::chrono::steady_clock::now();
        const int done = (i % kBlock) + 1;
        perSecond.push_back(done / std::chrono::duration<double>(now - start).count());
        const Figures f = Measure();
        std::printf(
            "  after %6d            RSS %7ld kB   fds %3d   threads %3ld   live streams %d"
            "   %.0f/s\n",
            i + 1, f.rssKb, f.descriptors, f.threads, f.liveStreams, perSecond.back());
        std::fflush(stdout);
        start = std::chrono::steady_clock::now();
      }
    }
    std::printf("  median rate %.0f per second over %zu blocks; failed plays so far: %d\n",
                Median(perSecond), perSecond.size(), FailedPlays());
  }
};

TEST_F(SoakBench, ClicksAndHotkeyPresses) {
  XServer x;
  if (XServer::Installed("Xvfb") && x.Start()) {
    ::setenv("DISPLAY", x.Display().c_str(), 1);
  } else {
    ::unsetenv("DISPLAY");
  }
  WriteSetting("data", "kjj", "1");
  WriteSetting("data", "vi", "50");
  for (int k = 1; k <= 10; ++k) {
    WriteSetting("dat", "F" + std::to_string(k), SoundCatalogue::Caption(k * 9));
  }
  StartBoard();
  ASSERT_EQ(HotkeyHost().loaded, 1);
  const bool registered = HotkeyHost().ids[0] != 0;
  if (!registered) {
    for (int k = 0; k < 10; ++k) HotkeyHost().ids[k] = 33001 + k;
  }
  std::printf("hotkey ids %s (%d .. %d)\n",
              registered ? "issued by a private X server" : "assigned by hand (no Xvfb)",
              HotkeyHost().ids[0], HotkeyHost().ids[9]);
  const std::int32_t receiver = P().GetWindowHandle("HotkeyHostWindow", "标签1");

  auto click = [&](int i) {
    Click("MainWindow", SoundCatalogue::UnitName(SoundCatalogue::kFirstBuiltIn + i % 96));
  };
  auto press = [&](int i) {
    P().RaiseFeedback(receiver, HotkeyHost().ids[i % 10], 0);
    QCoreApplication::processEvents();
  };

  std::printf("warm-up: %d clicks and %d presses\n", kWarmUp, kWarmUp);
  for (int i = 0; i < kWarmUp; ++i) click(i), press(i);
  const Figures start = Measure();
  const std::size_t opensBefore = opens_;
  const std::size_t failedBefore = failedOpens_;
  Phase("clicks", g_clicks, click);
  Phase("hotkey presses", g_presses, press);
  const Figures end = Measure();

  std::printf("\nsummary\n");
  Print("after warm-up", start);
  Print("after both phases", end);
  std::printf("  RSS change %+ld kB, fds %+d, threads %+ld, live streams %+d\n",
              end.rssKb - start.rssKb, end.descriptors - start.descriptors,
              end.threads - start.threads, end.liveStreams - start.liveStreams);
  std::printf("  streams opened %zu (expected %d), failed opens %zu, \"打开文件失败\" shown %d\n",
              opens_ - opensBefore, g_clicks + g_presses, failedOpens_ - failedBefore,
              FailedPlays());
}

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  // No screen and no sound card: offscreen windows and SDL's dummy driver, unless chosen otherwise.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kalvor::test::g_clicks = std::atoi(argv[1]);
  if (argc > 2) kalvor::test::g_presses = std::atoi(argv[2]);
  return RUN_ALL_TESTS();
}
