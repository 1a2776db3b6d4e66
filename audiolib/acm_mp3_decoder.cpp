#include "acm_mp3_decoder.h"

#include <algorithm>

namespace kalvor::audiolib {

namespace {

// Frames handed to the codec at a time.
constexpr std::size_t kFramesPerConversion = 16;

}  // namespace

std::unique_ptr<SoundFile> AcmMp3Decoder::open(std::vector<std::uint8_t> data) {
  std::optional<Mp3Layout> layout = scan_mp3(data.data(), data.size());
  if (!layout ||
      !playable(layout->first.channels, layout->first.sample_rate, layout->length_samples)) {
    return nullptr;
  }
  std::unique_ptr<AcmMp3Decoder> decoder(new AcmMp3Decoder(std::move(data), std::move(*layout)));
  if (!decoder->restart()) return nullptr;
  return decoder;
}

AcmMp3Decoder::AcmMp3Decoder(std::vector<std::uint8_t> data, Mp3Layout layout)
    : SoundFile(layout.first.channels, layout.first.sample_rate, layout.length_samples),
      data_(std::move(data)),
      layout_(std::move(layout)) {
  const Mp3FrameHeader& first = layout_.first;
  input_format_.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  input_format_.wfx.nChannels = static_cast<WORD>(first.channels);
  input_format_.wfx.nSamplesPerSec = static_cast<DWORD>(first.sample_rate);
  input_format_.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrate_kbps) * 125;
  input_format_.wfx.nBlockAlign = 1;
  input_format_.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  input_format_.wID = MPEGLAYER3_ID_MPEG;
  input_format_.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  input_format_.nBlockSize = static_cast<WORD>(first.size_bytes);
  input_format_.nFramesPerBlock = 1;
  output_format_.wFormatTag = WAVE_FORMAT_PCM;
  output_format_.nChannels = static_cast<WORD>(first.channels);
  output_format_.nSamplesPerSec = static_cast<DWORD>(first.sample_rate);
  output_format_.wBitsPerSample = 16;
  output_format_.nBlockAlign = static_cast<WORD>(2 * first.channels);
  output_format_.nAvgBytesPerSec = output_format_.nSamplesPerSec * output_format_.nBlockAlign;
  // The codec may hold a frame back and then hand out two at once.
  output_.resize((kFramesPerConversion + 2) * static_cast<std::size_t>(first.samples_per_frame) *
                 output_format_.nBlockAlign);
}

AcmMp3Decoder::~AcmMp3Decoder() {
  if (stream_ != nullptr) acmStreamClose(stream_, 0);
}

bool AcmMp3Decoder::restart() {
  if (stream_ != nullptr) acmStreamClose(stream_, 0);
  stream_ = nullptr;
  if (acmStreamOpen(&stream_, nullptr, &input_format_.wfx, &output_format_, nullptr, 0, 0, 0) !=
      MMSYSERR_NOERROR) {
    stream_ = nullptr;
    return false;
  }
  started_ = false;
  flushed_ = false;
  next_frame_ = 0;
  input_.clear();
  pcm_.clear();
  pcm_start_ = 0;
  return true;
}

bool AcmMp3Decoder::decode_more() {
  if (stream_ == nullptr || flushed_) return false;
  pcm_start_ += static_cast<std::int64_t>(pcm_.size()) / channels();
  pcm_.clear();
  const std::size_t end = std::min(layout_.frames.size(), next_frame_ + kFramesPerConversion);
  for (; next_frame_ < end; ++next_frame_) {
    const Mp3Layout::Frame& frame = layout_.frames[next_frame_];
    input_.insert(input_.end(), data_.begin() + frame.offset,
                  data_.begin() + frame.offset + frame.size);
  }
  const bool last = next_frame_ == layout_.frames.size();
  std::uint8_t none = 0;
  ACMSTREAMHEADER header{};
  header.cbStruct = sizeof header;
  header.pbSrc = input_.empty() ? &none : input_.data();
  header.cbSrcLength = static_cast<DWORD>(input_.size());
  header.pbDst = output_.data();
  header.cbDstLength = static_cast<DWORD>(output_.size());
  if (acmStreamPrepareHeader(stream_, &header, 0) != MMSYSERR_NOERROR) return false;
  DWORD flags = started_ ? 0 : ACM_STREAMCONVERTF_START;
  if (last) flags |= ACM_STREAMCONVERTF_END;
  const MMRESULT result = acmStreamConvert(stream_, &header, flags);
  acmStreamUnprepareHeader(stream_, &header, 0);
  if (result != MMSYSERR_NOERROR) return false;
  started_ = true;
  input_.erase(input_.begin(), input_.begin() + std::min<DWORD>(header.cbSrcLengthUsed,
                                                                static_cast<DWORD>(input_.size())));
  const auto* samples = reinterpret_cast<const std::int16_t*>(output_.data());
  const std::size_t frames = header.cbDstLengthUsed / output_format_.nBlockAlign;
  pcm_.assign(samples, samples + frames * static_cast<std::size_t>(channels()));
  // Whatever the codec still holds comes out with the last frames; after that it is done.
  if (last && header.cbSrcLengthUsed >= header.cbSrcLength) flushed_ = true;
  return !pcm_.empty() || !flushed_;
}

std::int64_t AcmMp3Decoder::read(float* interleaved, std::int64_t count) {
  std::int64_t done = 0;
  const int n = channels();
  while (done < count && position_ < frames()) {
    const std::int64_t wanted = position_ + layout_.skip_samples;
    const std::int64_t available = static_cast<std::int64_t>(pcm_.size()) / n;
    if (wanted >= pcm_start_ + available) {
      if (!decode_more()) break;  // the frames ended early
      continue;
    }
    const std::int64_t offset = wanted - pcm_start_;
    const std::int64_t take = std::min({count - done, available - offset, frames() - position_});
    const std::int16_t* from = pcm_.data() + offset * n;
    for (std::int64_t i = 0; i < take * n; ++i) {
      interleaved[done * n + i] = static_cast<float>(from[i]) / 32768.0f;
    }
    done += take;
    position_ += take;
  }
  return done;
}

bool AcmMp3Decoder::seek(std::int64_t frame) {
  if (frame < 0 || frame > frames()) return false;
  // Decoded output cannot be gone back into: start over and skip forward to it while reading.
  if (frame + layout_.skip_samples < pcm_start_ && !restart()) return false;
  position_ = frame;
  return true;
}

}  // namespace kalvor::audiolib
