#include "mf_decoder.h"

#include <mfapi.h>
#include <mferror.h>
#include <propvarutil.h>

#include <algorithm>
#include <cstring>

using Microsoft::WRL::ComPtr;

namespace kalvor::audiolib {

namespace {

constexpr std::size_t kStreamInfoEnd = 8 + 34;
constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

// Once per process, and never undone: the library stays loaded until the process ends. Every
// thread that has not chosen a COM apartment of its own then counts as in the multithreaded one,
// so the decoder thread may use a reader made on the caller's thread.
bool media_foundation_ready() {
  static const bool ready = [] {
    CO_MTA_USAGE_COOKIE cookie;
    if (FAILED(CoIncrementMTAUsage(&cookie))) return false;
    return SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_LITE));
  }();
  return ready;
}

}  // namespace

bool MfDecoder::is_flac(const std::uint8_t* head, std::size_t size) {
  return size >= 4 && std::memcmp(head, "fLaC", 4) == 0;
}

std::unique_ptr<SoundFile> MfDecoder::open(const std::wstring& path, const std::uint8_t* head,
                                           std::size_t size) {
  // STREAMINFO is the first metadata block: 20 bits of rate, 3 of channels - 1, 5 of bits - 1
  // and 36 of the total frame count (0 when the encoder did not know it).
  if (size < kStreamInfoEnd || !is_flac(head, size) || (head[4] & 0x7f) != 0) return nullptr;
  const std::uint8_t* info = head + 8;
  const int rate = info[10] << 12 | info[11] << 4 | info[12] >> 4;
  const int channels = ((info[12] >> 1) & 7) + 1;
  const std::int64_t total = std::int64_t{info[13] & 0x0f} << 32 | std::int64_t{info[14]} << 24 |
                             std::int64_t{info[15]} << 16 | std::int64_t{info[16]} << 8 | info[17];
  if (!playable(channels, rate, total) || !media_foundation_ready()) return nullptr;

  ComPtr<IMFSourceReader> reader;
  if (FAILED(MFCreateSourceReaderFromURL(path.c_str(), nullptr, &reader)) ||
      FAILED(reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE)) ||
      FAILED(reader->SetStreamSelection(kAudio, TRUE))) {
    return nullptr;
  }
  ComPtr<IMFMediaType> wanted;
  if (FAILED(MFCreateMediaType(&wanted)) ||
      FAILED(wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) ||
      FAILED(wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_Float)) ||
      FAILED(reader->SetCurrentMediaType(kAudio, nullptr, wanted.Get()))) {
    return nullptr;
  }
  ComPtr<IMFMediaType> got;
  UINT32 got_channels = 0;
  UINT32 got_rate = 0;
  UINT32 got_bits = 0;
  if (FAILED(reader->GetCurrentMediaType(kAudio, &got)) ||
      FAILED(got->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &got_channels)) ||
      FAILED(got->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &got_rate)) ||
      FAILED(got->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &got_bits)) ||
      got_channels != static_cast<UINT32>(channels) || got_rate != static_cast<UINT32>(rate) ||
      got_bits != 32) {
    return nullptr;
  }
  return std::unique_ptr<SoundFile>(new MfDecoder(std::move(reader), channels, rate, total));
}

MfDecoder::MfDecoder(ComPtr<IMFSourceReader> reader, int channels, int sample_rate,
                     std::int64_t frames)
    : SoundFile(channels, sample_rate, frames), reader_(std::move(reader)) {}

bool MfDecoder::decode_more() {
  for (;;) {
    DWORD flags = 0;
    ComPtr<IMFSample> sample;
    if (FAILED(reader_->ReadSample(kAudio, 0, nullptr, &flags, nullptr, &sample)) ||
        (flags & (MF_SOURCE_READERF_ENDOFSTREAM | MF_SOURCE_READERF_ERROR)) != 0) {
      return false;
    }
    if (!sample) continue;  // a gap in the stream: nothing to hand out
    ComPtr<IMFMediaBuffer> buffer;
    BYTE* bytes = nullptr;
    DWORD length = 0;
    if (FAILED(sample->ConvertToContiguousBuffer(&buffer)) ||
        FAILED(buffer->Lock(&bytes, nullptr, &length))) {
      return false;
    }
    const auto* floats = reinterpret_cast<const float*>(bytes);
    pending_.assign(floats, floats + length / sizeof(float));
    buffer->Unlock();
    const auto n = static_cast<std::size_t>(channels());
    const std::size_t drop = std::min(pending_.size() / n, static_cast<std::size_t>(skip_));
    skip_ -= static_cast<std::int64_t>(drop);
    pending_pos_ = drop * n;
    if (pending_pos_ < pending_.size()) return true;
  }
}

std::int64_t MfDecoder::read(float* interleaved, std::int64_t count) {
  const auto n = static_cast<std::size_t>(channels());
  std::int64_t done = 0;
  while (done < count) {
    if (pending_pos_ >= pending_.size() && !decode_more()) break;
    const std::size_t take =
        std::min((pending_.size() - pending_pos_) / n, static_cast<std::size_t>(count - done));
    std::copy_n(pending_.data() + pending_pos_, take * n, interleaved + done * n);
    pending_pos_ += take * n;
    done += static_cast<std::int64_t>(take);
  }
  position_ += done;
  return done;
}

bool MfDecoder::seek(std::int64_t frame) {
  if (frame < 0 || frame > frames()) return false;
  // Where a source lands after a seek, and the time stamps it gives, are not exact to the frame:
  // going back starts again from the first frame, and the frames up to the one asked for are
  // decoded and dropped.
  const std::int64_t ahead = frame - position_;
  if (ahead >= 0) {
    const auto n = static_cast<std::size_t>(channels());
    const std::size_t held = (pending_.size() - pending_pos_) / n;
    const std::size_t drop = std::min(held, static_cast<std::size_t>(ahead));
    pending_pos_ += drop * n;
    skip_ += ahead - static_cast<std::int64_t>(drop);
  } else {
    PROPVARIANT start;
    InitPropVariantFromInt64(0, &start);
    const HRESULT result = reader_->SetCurrentPosition(GUID_NULL, start);
    PropVariantClear(&start);
    if (FAILED(result)) return false;
    pending_.clear();
    pending_pos_ = 0;
    skip_ = frame;
  }
  position_ = frame;
  return true;
}

}  // namespace kalvor::audiolib
