// The single sound player: a thin object over our audio library. It initialises and frees the
// library on an output device, names devices, loads plug-ins, opens a file as a stream and starts
// it, stops it, sets a stream's volume, and carries the state of the spectrum drawing. It never
// decides which stream it acts on: every stream operation takes the handle. The library's
// functions are bound by name at run time, with the types its header audiolib/bass_library.h
// declares.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kalvor {

class AudioPlayer {
 public:
  static constexpr int kBins = 1024;
  // Our audio library's file (libbass.so, bass.dll), bound by name when the player first calls
  // into it.
  static const std::string& Library();

  AudioPlayer();
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;
  ~AudioPlayer();

  // Lets go of the spectrum arrays; drawing does nothing afterwards.
  void Destroy();
  // Initialises the library on an output device (device numbers start at 1); with useDefaults 1,
  // on the default device at 44.1 kHz. 1 on success, else 0.
  std::int32_t Initialize(std::int32_t useDefaults, std::int32_t device = 0,
                          std::int32_t frequency = 0, std::int32_t flags = 0,
                          std::int32_t window = 0, std::int32_t classId = 0);
  // Frees the stream `previous`, opens the file as a new stream and, with play 1, starts it and
  // makes it the current stream. The new stream's handle; 0 when the file cannot be opened.
  std::uint32_t PlayFile(std::string_view path, std::int32_t play, std::uint32_t previous = 0);
  std::int32_t Stop(std::uint32_t stream);
  // volume 0..1; a volume of exactly 1 % is silence unless exact is nonzero.
  std::int32_t SetVolume(float volume, std::uint32_t stream, std::int32_t exact = 0);
  // The spectrum drawing: its size and bar width in pixels, its gain, and its two colours
  // (0x00BBGGRR); then one frame of the stream's spectrum on a control (spectrum_renderer.cpp).
  void SetSpectrumStyle(std::int32_t width, std::int32_t height, std::int32_t barWidth,
                        std::int32_t gain, std::int32_t topColor, std::int32_t baseColor);
  void DrawSpectrum(std::string_view window, std::string_view control, std::uint32_t stream);
  void FillGradient(std::intptr_t dc, std::int32_t left, std::int32_t top, std::int32_t right,
                    std::int32_t bottom, std::int32_t firstColor = 0x0000FF,
                    std::int32_t secondColor = 0xFF0000, std::int32_t horizontal = 1);
  // Frees the library and its device.
  std::int32_t Free();
  // The device's name, "" for a nameless one, "!!!!!!" when there is no such device.
  std::string GetDeviceName(std::int32_t device);
  // Offers every plug-in beside the program to the library.
  void LoadPlugin();

  // Fields, all zero when the player is created.
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

 private:
  static std::int32_t GetRed(std::int32_t color);
  static std::int32_t GetGreen(std::int32_t color);
  static std::int32_t GetBlue(std::int32_t color);
};

}  // namespace kalvor
