// The single sound player: a thin object over our audio library. It initialises and frees the
// library on an output device, names devices, loads plug-ins, opens a file as a stream and starts
// it, stops, pauses, seeks, reports length and position, sets a stream's volume, and carries the
// state of the spectrum drawing. It never decides which stream it acts on: every stream operation
// takes the handle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kalvor {

class AudioPlayer {
 public:
  static constexpr int kBins = 1024;

  AudioPlayer();
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;
  virtual ~AudioPlayer();

  // Slot order of the player's operations.
  virtual void Destroy();                              // 0
  virtual std::unique_ptr<AudioPlayer> Clone() const;  // 1
  virtual std::int32_t Initialize(std::int32_t useDefaults, std::int32_t device = 0,
                                  std::int32_t frequency = 0, std::int32_t flags = 0,
                                  std::int32_t window = 0, std::int32_t classId = 0);  // 2
  virtual std::uint32_t GetVersion();                                                  // 3
  virtual std::uint32_t PlayFile(std::string_view path, std::int32_t play,
                                 std::uint32_t previous = 0);             // 4
  virtual std::int32_t Play(std::uint32_t stream, std::int32_t restart);  // 5
  virtual std::int32_t Pause(std::uint32_t stream);                       // 6
  virtual std::int32_t Stop(std::uint32_t stream);                        // 7
  virtual float GetLength(std::uint32_t stream);                          // 8
  virtual double GetPosition(std::uint32_t stream);                       // 9
  virtual std::int32_t SetPosition(std::uint32_t stream, float seconds);  // 10
  virtual std::int32_t SetVolume(float volume, std::uint32_t stream,
                                 std::int32_t exact = 0);  // 11
  virtual void SetSpectrumStyle(std::int32_t width, std::int32_t height, std::int32_t barWidth,
                                std::int32_t gain, std::int32_t topColor,
                                std::int32_t baseColor);  // 12
  virtual void DrawSpectrum(std::string_view window, std::string_view control,
                            std::uint32_t stream);  // 13
  virtual void FillGradient(std::intptr_t dc, std::int32_t left, std::int32_t top,
                            std::int32_t right, std::int32_t bottom,
                            std::int32_t firstColor = 0x0000FF, std::int32_t secondColor = 0xFF0000,
                            std::int32_t horizontal = 1);  // 14
  virtual std::int32_t GetRed(std::int32_t color);         // 15
  virtual std::int32_t GetGreen(std::int32_t color);       // 16
  virtual std::int32_t GetBlue(std::int32_t color);        // 17
  virtual std::int32_t Free();                             // 18
  virtual std::string GetDeviceName(std::int32_t device);  // 19
  virtual void LoadPlugin();                               // 20

  // Fields, all zero when the player is created.
  std::uint32_t currentStream = 0;
  std::uint32_t releasedStream = 0;
  std::unique_ptr<float[]> levels;
  std::unique_ptr<float[]> spectrum;
  std::unique_ptr<std::int32_t[]> peaks;
  std::int32_t width = 0, height = 0;
  std::int32_t barWidth = 0;
  std::int32_t gain = 0;
  std::int32_t baseColor = 0;
  std::int32_t topRed = 0, topGreen = 0, topBlue = 0;
  std::int32_t baseRed = 0, baseGreen = 0, baseBlue = 0;
  std::int32_t topColor = 0;
};

}  // namespace kalvor
