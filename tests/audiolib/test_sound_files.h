// Sound files made at test time in a private temporary folder: tones in every format the library
// reads, tagged MP3s, and files that are not audio at all. Paths are UTF-8 on every platform.
// On Linux the tones are written with libsndfile. The Windows tests cannot do that: their WAV
// files are written here, the other formats are made with sox and lame when the tests are built
// (make_premade_sounds.sh) and copied from there, so only the tones listed there exist.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kalvor::test {

std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

struct Tone {
  double frequency = 440.0;  // 0 gives a constant level (dc)
  double amplitude = 0.5;
  double phase = 0.0;  // radians; pi / 2 starts the tone at full amplitude
  double dc = 0.0;
  double seconds = 0.5;
  int rate = 44100;
  int channels = 2;

  // Sample of frame i as written (before the format's quantisation).
  double sample(long frame) const;
  long frames() const { return static_cast<long>(seconds * rate); }
};

class TestSoundFiles {
 public:
  TestSoundFiles();
  ~TestSoundFiles();
  TestSoundFiles(const TestSoundFiles&) = delete;
  TestSoundFiles& operator=(const TestSoundFiles&) = delete;

  const std::filesystem::path& dir() const { return dir_; }

  std::string wav(const std::string& name, const Tone& tone);
  std::string flac(const std::string& name, const Tone& tone);
  std::string ogg(const std::string& name, const Tone& tone);
  // Variable and constant bit rate MP3 made by LAME; they carry a LAME header, so decoders know
  // the exact frame count.
  std::string mp3(const std::string& name, const Tone& tone);
  std::string mp3_cbr(const std::string& name, const Tone& tone);
  // Puts an ID3v2.4 tag (UTF-8 title and artist, plus padding) in front of an MP3.
  static void add_id3v2_tag(const std::string& path, const std::string& title);

  std::string bytes(const std::string& name, const std::string& content);
  std::string random_bytes(const std::string& name, std::size_t size);
  std::string truncated_copy(const std::string& source, const std::string& name, std::size_t size);
  std::string folder(const std::string& name);

 private:
  std::filesystem::path dir_;
};

}  // namespace kalvor::test
