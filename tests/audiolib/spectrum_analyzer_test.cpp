#include "audiolib/spectrum_analyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace kalvor::audiolib {
namespace {

TEST(SpectrumAnalyzer, FullScaleSineOnABinReadsOne) {
  SpectrumAnalyzer analyzer;
  std::vector<float> samples(SpectrumAnalyzer::kSize);
  for (int i = 0; i < SpectrumAnalyzer::kSize; ++i) {
    samples[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 23 * i / 1024.0));
  }
  std::vector<float> bins(SpectrumAnalyzer::kBins);
  analyzer.analyze(samples.data(), bins.data());
  EXPECT_NEAR(bins[23], 1.0f, 1e-3f);
  EXPECT_NEAR(bins[22], 0.5f, 1e-3f);  // the Hann window's neighbours
  EXPECT_NEAR(bins[24], 0.5f, 1e-3f);
  EXPECT_LT(bins[0], 1e-3f);
  EXPECT_LT(bins[30], 1e-3f);
}

TEST(SpectrumAnalyzer, ConstantLevelReadsInBinZero) {
  SpectrumAnalyzer analyzer;
  std::vector<float> samples(SpectrumAnalyzer::kSize, 0.25f);
  std::vector<float> bins(SpectrumAnalyzer::kBins);
  analyzer.analyze(samples.data(), bins.data());
  EXPECT_NEAR(bins[0], 0.25f, 1e-4f);
  EXPECT_LT(bins[5], 1e-4f);
}

}  // namespace
}  // namespace kalvor::audiolib
