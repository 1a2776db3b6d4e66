// The spectrum drawing of the player: one frame of a bar spectrum of a stream, composed off screen
// and copied to a control's window in one step. Levels rise at once and fall by 2 pixels a frame;
// the one-pixel peak mark above each bar follows it up at once and falls by 1 pixel a frame.
//
// Bins are counted from 1 in the comments below: bin i lives at index i - 1 of levels, spectrum,
// peaks and of the frame buffer, so bin 1 is the library's first value (the DC term).
#include <array>
#include <cstdint>

#include "audio/audio_player.h"
#include "audiolib/bass_library.h"
#include "platform/platform_services.h"

namespace kalvor {

namespace {

constexpr int kLastBin = 999;          // the bins the renderer looks at, counted from 1
constexpr double kTolerance = 1e-7;    // how far apart two levels must be to count as different
constexpr float kFallPerFrame = 2.0f;  // pixels a level drops in a frame without a higher value

// Everything one frame opens on the drawing layer, released in the same way on every path.
struct FrameObjects {
  DrawingLayer* layer = nullptr;
  std::int32_t window = 0;
  std::intptr_t screen = 0;
  std::intptr_t memory = 0;
  std::intptr_t bitmap = 0;
  std::intptr_t pen = 0;
  std::intptr_t brush = 0;

  FrameObjects(DrawingLayer* drawing, std::int32_t windowHandle, std::int32_t width,
               std::int32_t height, std::int32_t color)
      : layer(drawing), window(windowHandle) {
    screen = layer->GetDC(window);
    memory = layer->CreateCompatibleDC(screen);
    bitmap = layer->CreateCompatibleBitmap(screen, width, height);
    layer->SelectObject(memory, bitmap);
    pen = layer->CreatePen(DrawingLayer::kSolidPen, 0, color);
    layer->SelectObject(memory, pen);
    brush = layer->CreateSolidBrush(color);
    layer->SelectObject(memory, brush);
  }
  FrameObjects(const FrameObjects&) = delete;
  FrameObjects& operator=(const FrameObjects&) = delete;
  ~FrameObjects() {
    layer->ReleaseDC(window, screen);
    layer->DeleteDC(memory);
    layer->DeleteObject(bitmap);
    layer->DeleteObject(pen);
    layer->DeleteObject(brush);
  }
};

}  // namespace

void AudioPlayer::DrawSpectrum(std::string_view window, std::string_view control,
                               std::uint32_t stream) {
  DrawingLayer* const layer = Drawing();
  // Without a drawing layer, a style, or the arrays (after Destroy) there is nothing to draw with.
  if (layer == nullptr || width <= 0 || height <= 0 || barWidth < 0) return;
  if (!levels || !spectrum || !peaks) return;

  std::array<float, kBins> frame{};
  const std::int32_t windowHandle = Platform().GetWindowHandle(window, control);
  FrameObjects objects(layer, windowHandle, width, height, baseColor);

  if (stream == 0) return;
  const std::uint32_t read = CallExternal<decltype(BASS_ChannelGetData)>(
      Library(), "BASS_ChannelGetData", stream, frame.data(), BASS_DATA_FFT1024);
  if (read == BASS_DATA_ERROR) return;

  const std::int64_t binsPerBar = std::int64_t{barWidth} + 1;
  const double fullHeight = height;
  for (int bin = 1; bin <= kLastBin; ++bin) {
    const int at = bin - 1;
    spectrum[at] = frame[at];

    // Low bins are lifted far more than high ones: bin 1 by 250.75, bin 999 by 1.25.
    const double magnitude = spectrum[at];
    const double value = (magnitude + magnitude * (1000 - bin) * 0.25) * gain;
    if (value - levels[at] > kTolerance) {
      levels[at] = static_cast<float>(value);
    } else if (levels[at] - kFallPerFrame > kTolerance) {
      levels[at] -= kFallPerFrame;
    }
    if (levels[at] - fullHeight > kTolerance) levels[at] = static_cast<float>(height);

    if (bin % binsPerBar != 0) continue;

    // The bar that ends at this bin averages it and the barWidth bins below it; a bin number that
    // is a multiple of barWidth + 1 leaves all of them at bin 1 or above.
    float sum = 0;
    for (std::int64_t k = 0; k < binsPerBar; ++k) sum += levels[at - k];
    const float average = static_cast<float>(sum / static_cast<double>(binsPerBar));

    // The top of the bar moves from the base colour towards the top colour as the bar grows.
    const double grown = average;
    auto blend = [&](std::int32_t top, std::int32_t base) {
      return TruncateToInt(top * grown / fullHeight + base * (fullHeight - grown) / fullHeight);
    };
    const std::int32_t topOfBar =
        MakeColor(blend(topRed, baseRed), blend(topGreen, baseGreen), blend(topBlue, baseBlue));

    const auto right = static_cast<std::int32_t>(at);
    const auto left = static_cast<std::int32_t>(at - barWidth);
    FillGradient(objects.memory, left, TruncateToInt(fullHeight - grown), right, height, topOfBar,
                 baseColor, 0);

    std::int32_t& peak = peaks[at];
    if (static_cast<double>(peak) - average < -kTolerance) {
      peak = TruncateToInt(grown);
    } else if (peak > 1) {
      peak -= 1;
    } else {
      peak = 1;
    }
    layer->Rectangle(objects.memory, left, height - peak - 1, right, height - peak);
  }

  layer->BitBlt(objects.screen, 0, 0, width, height, objects.memory, 0, 0,
                DrawingLayer::kSourceCopy);
}

void AudioPlayer::FillGradient(std::intptr_t dc, std::int32_t left, std::int32_t top,
                               std::int32_t right, std::int32_t bottom, std::int32_t firstColor,
                               std::int32_t secondColor, std::int32_t horizontal) {
  DrawingLayer* const layer = Drawing();
  if (layer == nullptr) return;
  // Vertex channels are 16 bits wide with the 8-bit colour component in the high byte.
  auto channel = [](std::int32_t component) {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(component) << 8);
  };
  const GradientVertex vertices[2] = {
      {left, top, channel(GetRed(firstColor)), channel(GetGreen(firstColor)),
       channel(GetBlue(firstColor)), 0},
      {right, bottom, channel(GetRed(secondColor)), channel(GetGreen(secondColor)),
       channel(GetBlue(secondColor)), 0},
  };
  layer->GradientFill(
      dc, vertices, 2, 0, 1,
      horizontal != 0 ? DrawingLayer::kGradientHorizontal : DrawingLayer::kGradientVertical);
}

}  // namespace kalvor
