// The Windows library computes spectra with our radix-2 FFT, the Linux library with kissfft: the
// same samples must give the same 512 magnitudes through either.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "audiolib/kiss_fft_backend.h"
#include "audiolib/radix2_fft.h"
#include "audiolib/spectrum_analyzer.h"

namespace kalvor::audiolib {
namespace {

TEST(FftBackends, Radix2AndKissFftGiveTheSameSpectra) {
  constexpr int n = SpectrumAnalyzer::kSize;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  struct Signal {
    const char* name;
    std::vector<float> samples;
  };
  std::vector<Signal> signals = {{"sine on bin 23", {}}, {"sine between bins", {}},
                                 {"chirp", {}},          {"noise", {}},
                                 {"impulse on dc", {}},  {"silence", {}}};
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / n;
    signals[0].samples.push_back(static_cast<float>(std::sin(2 * std::numbers::pi * 23 * t)));
    signals[1].samples.push_back(
        static_cast<float>(0.3 * std::cos(2 * std::numbers::pi * 100.37 * t)));
    signals[2].samples.push_back(static_cast<float>(std::sin(std::numbers::pi * 300 * t * t)));
    signals[3].samples.push_back(noise(random));
    signals[4].samples.push_back(i == 200 ? 1.0f : 0.1f);
    signals[5].samples.push_back(0.0f);
  }
  SpectrumAnalyzer kiss(std::make_unique<KissFft>(n));
  SpectrumAnalyzer radix2(std::make_unique<Radix2Fft>(n));
  for (const Signal& signal : signals) {
    std::vector<float> expected(SpectrumAnalyzer::kBins);
    std::vector<float> got(SpectrumAnalyzer::kBins);
    kiss.analyze(signal.samples.data(), expected.data());
    radix2.analyze(signal.samples.data(), got.data());
    for (int k = 0; k < SpectrumAnalyzer::kBins; ++k) {
      ASSERT_NEAR(got[k], expected[k], 2e-6f) << signal.name << ", bin " << k;
    }
  }
}

}  // namespace
}  // namespace kalvor::audiolib
