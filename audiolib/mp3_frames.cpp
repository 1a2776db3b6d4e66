#include "mp3_frames.h"

#include <algorithm>
#include <cstring>

namespace kalvor::audiolib {

namespace {

constexpr int kBitratesMpeg1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                    112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesMpeg2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                    64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRatesMpeg1[3] = {44100, 48000, 32000};

// A frame is taken as the start of the audio when this many frames chain up behind it (or the
// chain reaches the end of the data first).
constexpr int kChainToStart = 3;
// After junk in the middle, fewer will do.
constexpr int kChainToResume = 2;

std::uint32_t syncsafe(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} & 0x7f) << 21 | (std::uint32_t{p[1]} & 0x7f) << 14 |
         (std::uint32_t{p[2]} & 0x7f) << 7 | (std::uint32_t{p[3]} & 0x7f);
}

// Offset of the first byte after any ID3v2 tags at the start.
std::size_t skip_id3v2(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  while (size - pos >= 10 && std::memcmp(data + pos, "ID3", 3) == 0 && data[pos + 3] != 0xff &&
         data[pos + 4] != 0xff) {
    const bool footer = (data[pos + 5] & 0x10) != 0;
    const std::size_t length = 10 + std::size_t{syncsafe(data + pos + 6)} + (footer ? 10 : 0);
    if (length > size - pos) return size;
    pos += length;
  }
  return pos;
}

class Scanner {
 public:
  Scanner(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool header_at(std::size_t pos, Mp3FrameHeader* header) const {
    return size_ - pos >= 4 && Mp3FrameHeader::parse(data_ + pos, header);
  }

  // Whether `frames` frames of the same stream follow one another from pos, or the chain reaches
  // the end of the data (or a trailing tag) earlier.
  bool chains(std::size_t pos, std::optional<Mp3FrameHeader> like, int frames) const {
    for (int i = 0; i < frames; ++i) {
      if (pos >= size_ || at_trailing_tag(pos)) return i > 0;
      Mp3FrameHeader header;
      if (!header_at(pos, &header) || (like && !header.same_stream(*like))) return false;
      if (!like) like = header;
      pos += static_cast<std::size_t>(header.size_bytes);
      if (pos > size_) return i > 0;  // a frame cut off by the end of the file
    }
    return true;
  }

  // The next position at or after pos where a chain of frames starts; size_ when there is none.
  std::size_t find_chain(std::size_t pos, const std::optional<Mp3FrameHeader>& like,
                         int frames) const {
    for (; pos + 4 <= size_; ++pos) {
      if (data_[pos] == 0xff && (data_[pos + 1] & 0xe0) == 0xe0 && chains(pos, like, frames)) {
        return pos;
      }
    }
    return size_;
  }

  bool at_trailing_tag(std::size_t pos) const {
    const std::size_t left = size_ - pos;
    return (left >= 3 && std::memcmp(data_ + pos, "TAG", 3) == 0) ||
           (left >= 8 && std::memcmp(data_ + pos, "APETAGEX", 8) == 0) ||
           (left >= 6 && std::memcmp(data_ + pos, "LYRICS", 6) == 0);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct InfoFrame {
  bool present = false;
  bool lame = false;
  int encoder_delay = 0;
  int padding = 0;
};

// A Xing/Info or VBRI frame describes the file instead of holding sound.
InfoFrame read_info_frame(const std::uint8_t* frame, const Mp3FrameHeader& header) {
  InfoFrame info;
  const int side_info =
      header.version == 10 ? (header.channels == 1 ? 17 : 32) : (header.channels == 1 ? 9 : 17);
  const std::size_t xing = 4 + (header.crc ? 2 : 0) + static_cast<std::size_t>(side_info);
  const auto size = static_cast<std::size_t>(header.size_bytes);
  if (size >= 4 + 32 + 4 && std::memcmp(frame + 4 + 32, "VBRI", 4) == 0) {
    info.present = true;
    return info;
  }
  if (size < xing + 8 ||
      (std::memcmp(frame + xing, "Xing", 4) != 0 && std::memcmp(frame + xing, "Info", 4) != 0)) {
    return info;
  }
  info.present = true;
  const std::uint8_t flags = frame[xing + 7];
  std::size_t lame = xing + 8;
  if (flags & 1) lame += 4;    // frame count
  if (flags & 2) lame += 4;    // byte count
  if (flags & 4) lame += 100;  // seek table
  if (flags & 8) lame += 4;    // quality
  // The LAME extension: a 9-byte encoder name, then at offset 21 the 12-bit delay and padding.
  if (size >= lame + 24 && std::memcmp(frame + lame, "LAME", 4) == 0) {
    const std::uint8_t* p = frame + lame + 21;
    info.lame = true;
    info.encoder_delay = p[0] << 4 | p[1] >> 4;
    info.padding = (p[1] & 0x0f) << 8 | p[2];
  }
  return info;
}

}  // namespace

bool Mp3FrameHeader::parse(const std::uint8_t* p, Mp3FrameHeader* header) {
  if (p[0] != 0xff || (p[1] & 0xe0) != 0xe0) return false;
  const int version_bits = (p[1] >> 3) & 3;
  const int layer_bits = (p[1] >> 1) & 3;
  const int bitrate_index = p[2] >> 4;
  const int rate_index = (p[2] >> 2) & 3;
  if (version_bits == 1 || layer_bits != 1 || bitrate_index == 0 || bitrate_index == 15 ||
      rate_index == 3) {
    return false;
  }
  Mp3FrameHeader h;
  h.version = version_bits == 3 ? 10 : version_bits == 2 ? 20 : 25;
  const bool mpeg1 = h.version == 10;
  h.bitrate_kbps = (mpeg1 ? kBitratesMpeg1 : kBitratesMpeg2)[bitrate_index];
  h.sample_rate = kRatesMpeg1[rate_index] / (mpeg1 ? 1 : h.version == 20 ? 2 : 4);
  h.channels = (p[3] >> 6) == 3 ? 1 : 2;
  h.samples_per_frame = mpeg1 ? 1152 : 576;
  const int padding = (p[2] >> 1) & 1;
  h.size_bytes = (mpeg1 ? 144 : 72) * h.bitrate_kbps * 1000 / h.sample_rate + padding;
  h.crc = (p[1] & 1) == 0;
  *header = h;
  return true;
}

std::optional<Mp3Layout> scan_mp3(const std::uint8_t* data, std::size_t size) {
  const Scanner scanner(data, size);
  std::size_t pos = scanner.find_chain(skip_id3v2(data, size), std::nullopt, kChainToStart);
  Mp3FrameHeader first;
  if (!scanner.header_at(pos, &first)) return std::nullopt;

  Mp3Layout layout;
  InfoFrame info;
  if (pos + static_cast<std::size_t>(first.size_bytes) <= size) {
    info = read_info_frame(data + pos, first);
  }
  if (info.present) pos += static_cast<std::size_t>(first.size_bytes);
  // Offsets are kept in 32 bits: files of 4 GiB and more are cut there.
  while (pos + 4 <= size && pos < UINT32_MAX) {
    Mp3FrameHeader header;
    if (scanner.at_trailing_tag(pos) ||
        !(scanner.header_at(pos, &header) && header.same_stream(first))) {
      pos = scanner.find_chain(pos + 1, first, kChainToResume);
      continue;
    }
    if (pos + static_cast<std::size_t>(header.size_bytes) > size) break;  // cut off
    if (layout.frames.empty()) layout.first = header;
    layout.frames.push_back(
        {static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(header.size_bytes)});
    pos += static_cast<std::size_t>(header.size_bytes);
  }
  if (layout.frames.empty()) return std::nullopt;

  const std::int64_t decoded = layout.decoded_samples();
  layout.length_samples = decoded;
  if (info.lame) {
    const std::int64_t skip = info.encoder_delay + kMp3DecoderDelay;
    const std::int64_t length = decoded - info.encoder_delay - info.padding;
    if (length > 0 && skip < decoded) {
      layout.gapless = true;
      layout.skip_samples = skip;
      layout.length_samples = std::min(length, decoded - skip);
    }
  }
  return layout;
}

}  // namespace kalvor::audiolib
