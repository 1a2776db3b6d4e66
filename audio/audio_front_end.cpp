#include "audio/audio_front_end.h"

#include <memory>

#include "audio/audio_player.h"
#include "platform/platform_services.h"

namespace kalvor {

namespace {

std::unique_ptr<AudioPlayer>& PlayerSlot() {
  static std::unique_ptr<AudioPlayer> player;
  return player;
}

bool SameIgnoringLatinCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Sound names are matched without regard to the case of Latin letters ("Mc教学鼓" plays
// "MC教学鼓.mp3"). On a case-sensitive file system a missing exact name is looked up among the
// files of its folder; only a miss pays for the folder listing.
std::string ResolveLatinCase(const std::string& path) {
  PlatformServices& platform = Platform();
  if (path.empty() || platform.FileExists(path)) return path;
  if (path.find_first_of("*?") != std::string::npos) return path;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string_view name = std::string_view(path).substr(folder.size());
  std::string found;
  for (std::string entry = platform.FindFiles(JoinTexts({folder, "*"})); !entry.empty();
       entry = platform.FindFiles({})) {
    if (found.empty() && SameIgnoringLatinCase(entry, name)) found = entry;
  }
  return found.empty() ? path : JoinTexts({folder, found});
}

}  // namespace

AudioState& Audio() {
  static AudioState state;
  return state;
}

AudioPlayer& Player() {
  return *PlayerSlot();
}

void CreatePlayer() {
  PlayerSlot() = std::make_unique<AudioPlayer>();
}

void DestroyPlayer() {
  if (PlayerSlot()) {
    PlayerSlot()->Destroy();
    PlayerSlot().reset();
  }
}

void PlayNamedSound(std::string_view soundName) {
  Audio().lastNamedPath = JoinTexts({Platform().GetSpecialFolder(8), "music/", soundName, ".mp3"});
  StartPlayback(Audio().lastNamedPath);
  ApplyVolume(static_cast<float>(Audio().volumePercent / 100.0));
}

void PlaySoundFile(std::string_view path) {
  StartPlayback(path);
  ApplyVolume(static_cast<float>(Audio().volumePercent / 100.0));
}

void StartPlayback(std::string_view path) {
  AudioState& audio = Audio();
  audio.playbackPath = std::string(path);
  audio.currentStream =
      Player().PlayFile(ResolveLatinCase(audio.playbackPath), 1, audio.currentStream);
  if (audio.currentStream == 0) {
    Platform().ShowMessageBox("打开文件失败", kMbIconExclamation, "错误");
  } else {
    audio.playState = std::string(kPlayStarted);
  }
}

void ApplyVolume(float volume) {
  Player().SetVolume(volume, Audio().currentStream);
}

void StopSound() {
  AudioState& audio = Audio();
  if (audio.playState.empty()) return;
  Player().Stop(audio.currentStream);
  audio.playState = std::string(kPlayStopped);
}

void ReleaseAudio() {
  Player().Free();
}

bool OpenOutputDevice(std::int32_t device, std::int32_t frequency, std::int32_t flags,
                      std::int32_t window, std::int32_t classId) {
  if (Player().Initialize(0, device, frequency, flags, window, classId) == 1) {
    Player().LoadPlugin();
    return true;
  }
  return false;
}

void OpenStoredDevice() {
  OpenOutputDevice(Audio().outputDevice, 44100, 0, 0, 0);
}

std::string OutputDeviceName(std::int32_t device) {
  return Player().GetDeviceName(device);
}

}  // namespace kalvor
