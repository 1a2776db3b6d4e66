// Time of one spectrum frame at 400 x 100 through the Qt platform and its drawing layer, with a
// stand-in for the audio library that hands out changing magnitudes. Prints medians over many
// frames; the machine is shared, so single figures mean little.
#include <QApplication>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "platform/platform_services.h"
#include "platform/qt/qt_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

std::array<float, 512> magnitudes{};

std::uint32_t ChannelGetData(std::uint32_t, void* buffer, std::uint32_t) {
  std::memcpy(buffer, magnitudes.data(), sizeof magnitudes);
  return 4096;
}

class BenchPlatform : public kalvor::QtPlatform {
 public:
  using QtPlatform::QtPlatform;
  void* BindExternal(std::string_view library, std::string_view function) override {
    if (function == "BASS_ChannelGetData") return reinterpret_cast<void*>(&ChannelGetData);
    return QtPlatform::BindExternal(library, function);
  }
};

kalvor::FormDef BenchForm() {
  kalvor::FormDef form;
  form.name = "SpectrumBench";
  form.caption = "spectrum";
  form.outerWidth = 420;
  form.outerHeight = 140;
  kalvor::ControlDef picture;
  picture.name = "图片框1";
  picture.kind = kalvor::ControlKind::PictureBox;
  picture.x = 4;
  picture.y = 4;
  picture.w = 400;
  picture.h = 100;
  form.controls.push_back(picture);
  return form;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

struct Figures {
  double frame = 0, frameP90 = 0, repaint = 0;
};

// Draws `frames` frames; `loud` feeds changing magnitudes, otherwise silence. Every frame is
// followed by an untimed-for-the-frame pass of the event loop, which repaints the control.
Figures Run(kalvor::AudioPlayer& player, int barWidth, bool loud, int frames) {
  std::mt19937 random(42);
  std::uniform_real_distribution<float> level(0.0f, 0.6f);
  player.SetSpectrumStyle(400, 100, barWidth, 1, 0x00FFFF, 0xFF0000);
  std::vector<double> drawTimes, repaintTimes;
  for (int i = 0; i < frames; ++i) {
    if (loud) {
      for (float& m : magnitudes) m = level(random) * level(random);
    } else {
      magnitudes.fill(0);
    }
    const auto start = Clock::now();
    player.DrawSpectrum("SpectrumBench", "图片框1", 1);
    const auto drawn = Clock::now();
    QApplication::processEvents();
    const auto shown = Clock::now();
    drawTimes.push_back(std::chrono::duration<double, std::micro>(drawn - start).count());
    repaintTimes.push_back(std::chrono::duration<double, std::micro>(shown - drawn).count());
  }
  return {Median(drawTimes), Percentile(drawTimes, 0.9), Median(repaintTimes)};
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  BenchPlatform platform(argc, argv);
  platform.RegisterForm(BenchForm());
  platform.LoadWindow("SpectrumBench");
  if (kalvor::Drawing() == nullptr) {
    std::fputs("no drawing layer is installed\n", stderr);
    return 1;
  }
  kalvor::AudioPlayer player;
  const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;

  Run(player, 3, true, 100);  // warm up
  struct Case {
    const char* name;
    int barWidth;
    bool loud;
  };
  const Case cases[] = {
      {"music, bar width 3 (250 bars)", 3, true},
      {"silence, bar width 3", 3, false},
      {"music, bar width 0 (999 empty bars)", 0, true},
      {"music, bar width 9 (99 bars)", 9, true},
      {"music, bar width 999 (no bars, copy only)", 999, true},
  };
  std::printf("spectrum frame at 400 x 100, %d frames per case (microseconds)\n", frames);
  std::printf("%-42s %12s %12s %16s\n", "case", "median", "p90", "repaint median");
  double reference = 0;
  for (const Case& c : cases) {
    const Figures f = Run(player, c.barWidth, c.loud, frames);
    if (reference == 0) reference = f.frame;
    std::printf("%-42s %12.1f %12.1f %16.1f   (x%.2f)\n", c.name, f.frame, f.frameP90, f.repaint,
                f.frame / reference);
  }
  platform.UnloadWindow("SpectrumBench");
  return 0;
}
