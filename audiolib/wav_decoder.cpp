#include "wav_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kalvor::audiolib {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xfffe;

std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::uint16_t le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

bool seek_to(std::FILE* file, std::int64_t offset) {
  return _fseeki64(file, offset, SEEK_SET) == 0;
}

std::int64_t file_size(std::FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  return _ftelli64(file);
}

float sample_at(const unsigned char* p, WavDecoder::Encoding encoding) {
  using Encoding = WavDecoder::Encoding;
  switch (encoding) {
    case Encoding::kUnsigned8:
      return (static_cast<float>(p[0]) - 128.0f) / 128.0f;
    case Encoding::kSigned16:
      return static_cast<float>(static_cast<std::int16_t>(le16(p))) / 32768.0f;
    case Encoding::kSigned24: {
      const std::uint32_t bits =
          std::uint32_t{p[0]} << 8 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 24;
      return static_cast<float>(static_cast<std::int32_t>(bits)) / 2147483648.0f;
    }
    case Encoding::kSigned32:
      return static_cast<float>(static_cast<std::int32_t>(le32(p))) / 2147483648.0f;
    case Encoding::kFloat32: {
      float value;
      const std::uint32_t bits = le32(p);
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    case Encoding::kFloat64: {
      double value;
      const std::uint64_t bits = std::uint64_t{le32(p)} | std::uint64_t{le32(p + 4)} << 32;
      std::memcpy(&value, &bits, sizeof value);
      return static_cast<float>(value);
    }
  }
  return 0.0f;
}

}  // namespace

std::unique_ptr<SoundFile> WavDecoder::open(std::FILE* file) {
  struct Closer {
    std::FILE* file;
    ~Closer() {
      if (file != nullptr) std::fclose(file);
    }
  } closer{file};
  const std::int64_t size = file_size(file);
  unsigned char riff[12];
  if (size < 12 || !seek_to(file, 0) || std::fread(riff, 1, 12, file) != 12 ||
      std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return nullptr;
  }
  std::uint16_t tag = 0;
  int channels = 0;
  std::int64_t rate = 0;
  int bits = 0;
  int block = 0;
  bool have_format = false;
  std::int64_t offset = 12;
  for (;;) {
    unsigned char chunk[8];
    if (offset + 8 > size || !seek_to(file, offset) || std::fread(chunk, 1, 8, file) != 8) {
      return nullptr;  // no data chunk
    }
    const std::int64_t length = le32(chunk + 4);
    offset += 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      unsigned char fmt[40] = {};
      if (length < 16 || std::fread(fmt, 1, std::min<std::int64_t>(length, 40), file) < 16) {
        return nullptr;
      }
      tag = le16(fmt);
      channels = le16(fmt + 2);
      rate = le32(fmt + 4);
      block = le16(fmt + 12);
      bits = le16(fmt + 14);
      if (tag == kFormatExtensible && length >= 40) tag = le16(fmt + 24);  // the sub-format
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!have_format) return nullptr;
      Encoding encoding;
      if (tag == kFormatPcm && bits == 8) {
        encoding = Encoding::kUnsigned8;
      } else if (tag == kFormatPcm && bits == 16) {
        encoding = Encoding::kSigned16;
      } else if (tag == kFormatPcm && bits == 24) {
        encoding = Encoding::kSigned24;
      } else if (tag == kFormatPcm && bits == 32) {
        encoding = Encoding::kSigned32;
      } else if (tag == kFormatFloat && bits == 32) {
        encoding = Encoding::kFloat32;
      } else if (tag == kFormatFloat && bits == 64) {
        encoding = Encoding::kFloat64;
      } else {
        return nullptr;
      }
      if (channels < 1 || block != channels * (bits / 8)) return nullptr;
      // A chunk cut off by the end of the file keeps the frames that are there.
      const std::int64_t frames = std::min(length, size - offset) / block;
      if (!playable(channels, rate, frames)) return nullptr;
      closer.file = nullptr;
      return std::unique_ptr<SoundFile>(
          new WavDecoder(file, channels, static_cast<int>(rate), frames, encoding, block, offset));
    }
    offset += length + (length & 1);  // chunks are padded to an even size
  }
}

WavDecoder::WavDecoder(std::FILE* file, int channels, int sample_rate, std::int64_t frames,
                       Encoding encoding, int frame_bytes, std::int64_t data_offset)
    : SoundFile(channels, sample_rate, frames),
      file_(file),
      encoding_(encoding),
      frame_bytes_(frame_bytes),
      data_offset_(data_offset) {
  seek_to(file_, data_offset_);
}

WavDecoder::~WavDecoder() {
  std::fclose(file_);
}

std::int64_t WavDecoder::read(float* interleaved, std::int64_t count) {
  count = std::clamp<std::int64_t>(frames() - position_, 0, count);
  raw_.resize(static_cast<std::size_t>(count * frame_bytes_));
  const auto got =
      static_cast<std::int64_t>(std::fread(raw_.data(), 1, raw_.size(), file_)) / frame_bytes_;
  const int bytes = frame_bytes_ / channels();
  const std::int64_t samples = got * channels();
  for (std::int64_t i = 0; i < samples; ++i) {
    interleaved[i] = sample_at(raw_.data() + i * bytes, encoding_);
  }
  position_ += got;
  return got;
}

bool WavDecoder::seek(std::int64_t frame) {
  if (frame < 0 || frame > frames() || !seek_to(file_, data_offset_ + frame * frame_bytes_)) {
    return false;
  }
  position_ = frame;
  return true;
}

}  // namespace kalvor::audiolib
