// The layout of an MPEG-1/2/2.5 Layer III file, read from its frame headers alone: where the audio
// frames are, their format, and how many samples a decoder's output holds that belong to the sound.
//
// A leading ID3v2 tag (or several) is skipped, and junk before the first frame or between frames
// is stepped over; a frame counts as found only when the frames after it chain up, so random bytes
// are not mistaken for audio. The first frame may be a Xing/Info or VBRI frame, which carries no
// sound: it is left out of the audio frames. When it holds a LAME tag, its encoder delay and
// padding make the length exact (gapless): the decoder's first skip_samples samples and everything
// after length_samples are not part of the sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kalvor::audiolib {

struct Mp3FrameHeader {
  int version = 0;  // 10 = MPEG-1, 20 = MPEG-2, 25 = MPEG-2.5
  int bitrate_kbps = 0;
  int sample_rate = 0;
  int channels = 0;
  int samples_per_frame = 0;
  int size_bytes = 0;
  bool crc = false;

  // Reads the 4-byte header at p; false when it is not a valid Layer III header (free-format
  // bit rates included, which carry no frame size).
  static bool parse(const std::uint8_t* p, Mp3FrameHeader* header);
  bool same_stream(const Mp3FrameHeader& other) const {
    return version == other.version && sample_rate == other.sample_rate &&
           channels == other.channels;
  }
};

struct Mp3Layout {
  struct Frame {
    std::uint32_t offset;
    std::uint32_t size;
  };

  Mp3FrameHeader first;  // the first audio frame's header
  std::vector<Frame> frames;
  bool gapless = false;
  std::int64_t skip_samples = 0;
  std::int64_t length_samples = 0;

  // The samples a decoder produces for all frames, before trimming.
  std::int64_t decoded_samples() const {
    return static_cast<std::int64_t>(frames.size()) * first.samples_per_frame;
  }
};

// Decoders add this many samples of their own in front of the encoder's delay.
constexpr int kMp3DecoderDelay = 529;

// Nothing when the data holds no chain of Layer III frames.
std::optional<Mp3Layout> scan_mp3(const std::uint8_t* data, std::size_t size);

}  // namespace kalvor::audiolib
