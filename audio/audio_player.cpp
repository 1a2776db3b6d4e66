#include "audio/audio_player.h"

#include <cmath>
#include <cstring>

#include "audio/bass_functions.h"
#include "platform/platform_services.h"

namespace kalvor {

namespace {
// Plug-ins of the library lie beside the program and are named like the library itself.
constexpr std::string_view kPluginPattern = "libbass*.so";
constexpr std::string_view kNoSuchDevice = "!!!!!!";
}  // namespace

AudioPlayer::AudioPlayer()
    : levels(new float[kBins]()), spectrum(new float[kBins]()), peaks(new std::int32_t[kBins]()) {}

AudioPlayer::~AudioPlayer() = default;

void AudioPlayer::Destroy() {
  levels.reset();
  spectrum.reset();
  peaks.reset();
}

std::unique_ptr<AudioPlayer> AudioPlayer::Clone() const {
  auto copy = std::make_unique<AudioPlayer>();
  copy->currentStream = currentStream;
  copy->releasedStream = releasedStream;
  auto copyArray = [](auto& to, const auto& from) {
    if (!from) {
      to.reset();
    } else {
      std::memcpy(to.get(), from.get(), sizeof(from[0]) * kBins);
    }
  };
  copyArray(copy->levels, levels);
  copyArray(copy->spectrum, spectrum);
  copyArray(copy->peaks, peaks);
  copy->width = width;
  copy->height = height;
  copy->barWidth = barWidth;
  copy->gain = gain;
  copy->baseColor = baseColor;
  copy->topRed = topRed;
  copy->topGreen = topGreen;
  copy->topBlue = topBlue;
  copy->baseRed = baseRed;
  copy->baseGreen = baseGreen;
  copy->baseBlue = baseBlue;
  copy->topColor = topColor;
  return copy;
}

std::int32_t AudioPlayer::Initialize(std::int32_t useDefaults, std::int32_t device,
                                     std::int32_t frequency, std::int32_t flags,
                                     std::int32_t window, std::int32_t classId) {
  int ok;
  if (useDefaults == 1) {
    ok = bass::Init(-1, 44100, 0, nullptr, nullptr);
  } else {
    ok =
        bass::Init(device, static_cast<std::uint32_t>(frequency), static_cast<std::uint32_t>(flags),
                   reinterpret_cast<void*>(static_cast<std::intptr_t>(window)),
                   reinterpret_cast<const void*>(static_cast<std::intptr_t>(classId)));
  }
  return ok != 0 ? 1 : 0;
}

std::uint32_t AudioPlayer::GetVersion() {
  return bass::GetVersion();
}

std::uint32_t AudioPlayer::PlayFile(std::string_view path, std::int32_t play,
                                    std::uint32_t previous) {
  releasedStream = previous;
  if (path.empty()) return 0;
  bass::StreamFree(releasedStream);
  const std::string file(path);
  const std::uint32_t stream = bass::StreamCreateFile(0, file.c_str(), 0, 0, 0);
  if (play == 1) {
    currentStream = stream;
    bass::ChannelPlay(currentStream, 1);
    return currentStream;
  }
  return stream;
}

std::int32_t AudioPlayer::Play(std::uint32_t stream, std::int32_t restart) {
  return stream == 0 ? 0 : bass::ChannelPlay(stream, restart);
}

std::int32_t AudioPlayer::Pause(std::uint32_t stream) {
  return stream == 0 ? 0 : bass::ChannelPause(stream);
}

std::int32_t AudioPlayer::Stop(std::uint32_t stream) {
  return stream == 0 ? 0 : bass::ChannelStop(stream);
}

float AudioPlayer::GetLength(std::uint32_t stream) {
  if (stream == 0) return 0;
  // The byte length passes through single precision on its way to seconds.
  const float bytes = static_cast<float>(bass::ChannelGetLength(stream, bass::kPosBytes));
  const auto whole = static_cast<std::uint64_t>(static_cast<std::int64_t>(bytes));
  return static_cast<float>(bass::ChannelBytes2Seconds(stream, whole));
}

double AudioPlayer::GetPosition(std::uint32_t stream) {
  if (stream == 0) return 0;
  // Only the low 32 bits of the byte position count, taken as a signed value.
  const std::uint64_t bytes = bass::ChannelGetPosition(stream, bass::kPosBytes);
  const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes));
  return bass::ChannelBytes2Seconds(stream, static_cast<std::uint64_t>(std::int64_t{low}));
}

std::int32_t AudioPlayer::SetPosition(std::uint32_t stream, float seconds) {
  if (stream == 0) return 0;
  const std::uint64_t bytes = bass::ChannelSeconds2Bytes(stream, seconds);
  return bass::ChannelSetPosition(stream, bytes & 0xFFFFFFFFu, bass::kPosBytes);
}

std::int32_t AudioPlayer::SetVolume(float volume, std::uint32_t stream, std::int32_t exact) {
  if (stream == 0) return 0;
  // A volume of 1 % is treated as silence, the same as 0 %.
  float value = volume;
  if (exact == 0 && std::fabs(static_cast<double>(volume) - 0.01) <= 1e-7) value = 0;
  return bass::ChannelSetAttribute(stream, bass::kAttribVolume, value);
}

void AudioPlayer::SetSpectrumStyle(std::int32_t w, std::int32_t h, std::int32_t bar, std::int32_t g,
                                   std::int32_t top, std::int32_t base) {
  width = w;
  height = h;
  barWidth = bar;
  gain = g;
  topColor = top;
  baseColor = base;
  topRed = GetRed(topColor);
  topGreen = GetGreen(topColor);
  topBlue = GetBlue(topColor);
  baseRed = GetRed(baseColor);
  baseGreen = GetGreen(baseColor);
  baseBlue = GetBlue(baseColor);
}

std::int32_t AudioPlayer::GetRed(std::int32_t color) {
  const double c = color;
  const double blue = std::floor(c / 65536);
  const double green = std::floor((c - blue * 65536) / 256);
  return TruncateToInt(c - blue * 65536 - green * 256);
}

std::int32_t AudioPlayer::GetGreen(std::int32_t color) {
  const double c = color;
  const double blue = std::floor(c / 65536);
  return TruncateToInt(std::floor((c - blue * 65536) / 256));
}

std::int32_t AudioPlayer::GetBlue(std::int32_t color) {
  return TruncateToInt(std::floor(static_cast<double>(color) / 65536));
}

std::int32_t AudioPlayer::Free() {
  return bass::Free();
}

std::string AudioPlayer::GetDeviceName(std::int32_t device) {
  bass::DeviceInfo info{};
  if (bass::GetDeviceInfo(static_cast<std::uint32_t>(device), &info) == 1) {
    return info.name ? std::string(info.name) : std::string();
  }
  return std::string(kNoSuchDevice);
}

void AudioPlayer::LoadPlugin() {
  for (std::string name = Platform().FindFiles(kPluginPattern); !name.empty();
       name = Platform().FindFiles({})) {
    bass::PluginLoad(name.c_str(), bass::kPluginUnicode);
  }
}

}  // namespace kalvor
