// The tones of the Linux tests, written with libsndfile.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <vector>

#include "tests/audiolib/test_sound_files.h"

namespace kalvor::test {

namespace {

std::string write(const std::filesystem::path& dir, const std::string& name, int format,
                  const Tone& tone, int bitrate_mode = SF_BITRATE_MODE_VARIABLE) {
  const std::string path = Utf8FromPath(dir / PathFromUtf8(name));
  SF_INFO info{};
  info.samplerate = tone.rate;
  info.channels = tone.channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
  if (file == nullptr) return path;
  if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
    sf_command(file, SFC_SET_BITRATE_MODE, &bitrate_mode, sizeof bitrate_mode);
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

}  // namespace

std::string TestSoundFiles::wav(const std::string& name, const Tone& tone) {
  return write(dir_, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone);
}

std::string TestSoundFiles::flac(const std::string& name, const Tone& tone) {
  return write(dir_, name, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, tone);
}

std::string TestSoundFiles::ogg(const std::string& name, const Tone& tone) {
  return write(dir_, name, SF_FORMAT_OGG | SF_FORMAT_VORBIS, tone);
}

std::string TestSoundFiles::mp3(const std::string& name, const Tone& tone) {
  return write(dir_, name, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, tone);
}

std::string TestSoundFiles::mp3_cbr(const std::string& name, const Tone& tone) {
  return write(dir_, name, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, tone,
               SF_BITRATE_MODE_CONSTANT);
}

}  // namespace kalvor::test
