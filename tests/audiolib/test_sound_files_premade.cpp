// The tones of the Windows tests: WAV files written here, the other formats copied from the files
// make_premade_sounds.sh made with sox and lame when the tests were built. They lie in the folder
// "premade-sounds" beside the test program, named after the tone.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <vector>

#include "tests/audiolib/test_sound_files.h"

namespace kalvor::test {

namespace {

std::filesystem::path premade_folder() {
  wchar_t program[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
  return std::filesystem::path(std::wstring(program, length)).parent_path() / "premade-sounds";
}

// "vbr-440hz-0.5-0deg-1s-44100-2ch.mp3": as make_premade_sounds.sh names its files.
std::string premade_name(const char* kind, const Tone& tone, const char* extension) {
  char name[128];
  std::snprintf(name, sizeof name, "%s-%ghz-%g-%lddeg-%gs-%d-%dch%s", kind, tone.frequency,
                tone.amplitude, std::lround(tone.phase * 180.0 / std::numbers::pi), tone.seconds,
                tone.rate, tone.channels, extension);
  return name;
}

std::string copy_premade(const std::filesystem::path& dir, const std::string& name,
                         const char* kind, const Tone& tone, const char* extension) {
  const std::string premade = premade_name(kind, tone, extension);
  const std::filesystem::path source = premade_folder() / premade;
  const std::filesystem::path target = dir / PathFromUtf8(name);
  std::error_code error;
  std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing,
                             error);
  EXPECT_FALSE(error || tone.dc != 0.0)
      << "no pre-made " << premade << ": add the tone to tests/audiolib/make_premade_sounds.sh";
  return Utf8FromPath(target);
}

void put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>(value >> 8);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, static_cast<std::uint16_t>(value & 0xffff));
  put16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

std::string TestSoundFiles::wav(const std::string& name, const Tone& tone) {
  // 16-bit PCM, quantised as libsndfile does it for the Linux tests.
  const auto data_bytes = static_cast<std::uint32_t>(tone.frames() * tone.channels * 2);
  std::string file = "RIFF";
  put32(file, 36 + data_bytes);
  file += "WAVEfmt ";
  put32(file, 16);
  put16(file, 1);
  put16(file, static_cast<std::uint16_t>(tone.channels));
  put32(file, static_cast<std::uint32_t>(tone.rate));
  put32(file, static_cast<std::uint32_t>(tone.rate * tone.channels * 2));
  put16(file, static_cast<std::uint16_t>(tone.channels * 2));
  put16(file, 16);
  file += "data";
  put32(file, data_bytes);
  for (long f = 0; f < tone.frames(); ++f) {
    const double value = std::clamp(tone.sample(f), -1.0, 1.0);
    const auto sample = static_cast<std::int16_t>(std::lrint(value * 32767.0));
    for (int c = 0; c < tone.channels; ++c) put16(file, static_cast<std::uint16_t>(sample));
  }
  return bytes(name, file);
}

std::string TestSoundFiles::flac(const std::string& name, const Tone& tone) {
  return copy_premade(dir_, name, "flac", tone, ".flac");
}

std::string TestSoundFiles::ogg(const std::string& name, const Tone& tone) {
  return copy_premade(dir_, name, "vorbis", tone, ".ogg");
}

std::string TestSoundFiles::mp3(const std::string& name, const Tone& tone) {
  return copy_premade(dir_, name, "vbr", tone, ".mp3");
}

std::string TestSoundFiles::mp3_cbr(const std::string& name, const Tone& tone) {
  return copy_premade(dir_, name, "cbr", tone, ".mp3");
}

}  // namespace kalvor::test
