#include "tests/audiolib/test_sound_files.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

#include "tests/support/files.h"

namespace kalvor::test {

namespace {

// ID3v2.4 sizes are 28-bit "syncsafe" numbers: 7 bits per byte.
std::string syncsafe(std::uint32_t n) {
  return {static_cast<char>((n >> 21) & 0x7f), static_cast<char>((n >> 14) & 0x7f),
          static_cast<char>((n >> 7) & 0x7f), static_cast<char>(n & 0x7f)};
}

std::string text_frame(const std::string& id, const std::string& utf8) {
  const std::string body = std::string(1, '\x03') + utf8;  // encoding 3 = UTF-8
  return id + syncsafe(static_cast<std::uint32_t>(body.size())) + std::string(2, '\0') + body;
}

}  // namespace

double Tone::sample(long frame) const {
  const double t = static_cast<double>(frame) / rate;
  return dc + amplitude * std::sin(2.0 * std::numbers::pi * frequency * t + phase);
}

TestSoundFiles::TestSoundFiles()
    : dir_(std::filesystem::temp_directory_path() /
           ("kalvor-audiolib-test-" + std::to_string(::getpid()))) {
  std::filesystem::create_directories(dir_);
}

TestSoundFiles::~TestSoundFiles() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TestSoundFiles::write(const std::string& name, int format, const Tone& tone) {
  const std::string path = (dir_ / name).string();
  SF_INFO info{};
  info.samplerate = tone.rate;
  info.channels = tone.channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
  if (file == nullptr) return path;
  if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
    int mode = SF_BITRATE_MODE_VARIABLE;
    sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
  }
  std::vector<float> frames(static_cast<std::size_t>(tone.frames() * tone.channels));
  for (long f = 0; f < tone.frames(); ++f) {
    for (int c = 0; c < tone.channels; ++c) {
      frames[f * tone.channels + c] = static_cast<float>(tone.sample(f));
    }
  }
  EXPECT_EQ(sf_writef_float(file, frames.data(), tone.frames()), tone.frames());
  sf_close(file);
  return path;
}

std::string TestSoundFiles::wav(const std::string& name, const Tone& tone) {
  return write(name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone);
}

std::string TestSoundFiles::flac(const std::string& name, const Tone& tone) {
  return write(name, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, tone);
}

std::string TestSoundFiles::ogg(const std::string& name, const Tone& tone) {
  return write(name, SF_FORMAT_OGG | SF_FORMAT_VORBIS, tone);
}

std::string TestSoundFiles::mp3(const std::string& name, const Tone& tone) {
  return write(name, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, tone);
}

void TestSoundFiles::add_id3v2_tag(const std::string& path, const std::string& title) {
  const std::string frames = text_frame("TIT2", title) + text_frame("TPE1", "Kalvor 测试") +
                             std::string(1024, '\0');  // padding, as taggers leave it
  const std::string header =
      std::string("ID3\x04\x00\x00", 6) + syncsafe(static_cast<std::uint32_t>(frames.size()));
  WriteFile(path, header + frames + ReadFile(path));
}

std::string TestSoundFiles::bytes(const std::string& name, const std::string& content) {
  const std::string path = (dir_ / name).string();
  WriteFile(path, content);
  return path;
}

std::string TestSoundFiles::random_bytes(const std::string& name, std::size_t size) {
  std::mt19937 random(12345);
  std::string content(size, '\0');
  for (char& c : content) c = static_cast<char>(random() & 0xff);
  return bytes(name, content);
}

std::string TestSoundFiles::truncated_copy(const std::string& source, const std::string& name,
                                           std::size_t size) {
  return bytes(name, ReadFile(source).substr(0, size));
}

std::string TestSoundFiles::folder(const std::string& name) {
  const std::filesystem::path path = dir_ / name;
  std::filesystem::create_directories(path);
  return path.string();
}

}  // namespace kalvor::test
