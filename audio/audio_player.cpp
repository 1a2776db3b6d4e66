#include "audio/audio_player.h"

#include <cmath>

#include "audiolib/bass_library.h"
#include "platform/platform_services.h"

// Calls a function of our audio library with the type its header declares; the platform binds it
// by name on the first call, and a missing library or function is a fatal error naming both.
#define KALVOR_BASS(function, ...)                                             \
  ::kalvor::CallExternal<decltype(function)>(::kalvor::AudioPlayer::Library(), \
                                             #function __VA_OPT__(, ) __VA_ARGS__)

namespace kalvor {

namespace {
// Plug-ins of the library lie beside the program and are named like the library itself.
constexpr std::string_view kPluginStem = "bass*";
constexpr std::uint32_t kPluginUnicode = 1;  // the plug-in's file name is text, not bytes
constexpr std::string_view kNoSuchDevice = "!!!!!!";
}  // namespace

const std::string& AudioPlayer::Library() {
  static const std::string file = SharedLibraryFile("bass");
  return file;
}

AudioPlayer::AudioPlayer()
    : levels(new float[kBins]()), spectrum(new float[kBins]()), peaks(new std::int32_t[kBins]()) {}

AudioPlayer::~AudioPlayer() = default;

void AudioPlayer::Destroy() {
  levels.reset();
  spectrum.reset();
  peaks.reset();
}

std::int32_t AudioPlayer::Initialize(std::int32_t useDefaults, std::int32_t device,
                                     std::int32_t frequency, std::int32_t flags,
                                     std::int32_t window, std::int32_t classId) {
  int ok;
  if (useDefaults == 1) {
    ok = KALVOR_BASS(BASS_Init, -1, 44100, 0, nullptr, nullptr);
  } else {
    ok = KALVOR_BASS(BASS_Init, device, static_cast<std::uint32_t>(frequency),
                     static_cast<std::uint32_t>(flags),
                     reinterpret_cast<void*>(static_cast<std::intptr_t>(window)),
                     reinterpret_cast<const void*>(static_cast<std::intptr_t>(classId)));
  }
  return ok != 0 ? 1 : 0;
}

std::uint32_t AudioPlayer::PlayFile(std::string_view path, std::int32_t play,
                                    std::uint32_t previous) {
  if (path.empty()) return 0;
  KALVOR_BASS(BASS_StreamFree, previous);
  const std::string file(path);
  const std::uint32_t stream = KALVOR_BASS(BASS_StreamCreateFile, 0, file.c_str(), 0, 0, 0);
  if (play == 1) KALVOR_BASS(BASS_ChannelPlay, stream, 1);
  return stream;
}

std::int32_t AudioPlayer::Stop(std::uint32_t stream) {
  return stream == 0 ? 0 : KALVOR_BASS(BASS_ChannelStop, stream);
}

std::int32_t AudioPlayer::SetVolume(float volume, std::uint32_t stream, std::int32_t exact) {
  if (stream == 0) return 0;
  // A volume of 1 % is treated as silence, the same as 0 %.
  float value = volume;
  if (exact == 0 && std::fabs(static_cast<double>(volume) - 0.01) <= 1e-7) value = 0;
  return KALVOR_BASS(BASS_ChannelSetAttribute, stream, BASS_ATTRIB_VOL, value);
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
  return KALVOR_BASS(BASS_Free);
}

std::string AudioPlayer::GetDeviceName(std::int32_t device) {
  BASS_DEVICEINFO info{};
  if (KALVOR_BASS(BASS_GetDeviceInfo, static_cast<std::uint32_t>(device), &info) == 1) {
    return info.name ? std::string(info.name) : std::string();
  }
  return std::string(kNoSuchDevice);
}

void AudioPlayer::LoadPlugin() {
  for (std::string name = Platform().FindFiles(SharedLibraryFile(kPluginStem)); !name.empty();
       name = Platform().FindFiles({})) {
    KALVOR_BASS(BASS_PluginLoad, name.c_str(), kPluginUnicode);
  }
}

}  // namespace kalvor
