// The routines through which the rest of the program plays sound: built-in sounds by name, any
// file by path, stop, volume, and opening, naming and freeing the output device. They keep the
// one stream that plays in CurrentStream and act on the single global AudioPlayer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvor {

class AudioPlayer;

// Globals of the front end.
struct AudioState {
  std::uint32_t currentStream = 0;  // the stream started last; 0 after a failed open
  std::string playbackPath;         // copy of the path last handed to the player
  std::string playState;            // "", then "播放中" (started) or "停止中" (stopped)
  std::int32_t volumePercent = 0;   // volume slider position 0..100
  std::int32_t outputDevice = 0;    // device list index + 1
  std::string lastNamedPath;        // the path PlayNamedSound built last
};

AudioState& Audio();
// The one player of the process; created at start, destroyed by the exit clean-up.
AudioPlayer& Player();
void CreatePlayer();
void DestroyPlayer();

inline constexpr std::string_view kPlayStarted = "播放中";
inline constexpr std::string_view kPlayStopped = "停止中";
inline constexpr std::string_view kNoDevice = "!!!!!!";

// Plays <AppDataDir>music/<name>.mp3 at the current volume.
void PlayNamedSound(std::string_view soundName);
// Plays any sound file at the current volume.
void PlaySoundFile(std::string_view path);
// Releases the previous stream, opens and starts the file; "打开文件失败" when it cannot be opened.
void StartPlayback(std::string_view path);
void ApplyVolume(float volume);
void StopSound();
void ReleaseAudio();
bool OpenOutputDevice(std::int32_t device, std::int32_t frequency, std::int32_t flags,
                      std::int32_t window, std::int32_t classId);
void OpenStoredDevice();
std::string OutputDeviceName(std::int32_t device);

}  // namespace kalvor
