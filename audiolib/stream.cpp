#include "stream.h"

#include <algorithm>
#include <cmath>

#include "sound_file.h"

namespace kalvor::audiolib {

namespace {

// Volume changes glide over this long, which is too short to hear as a fade but long enough
// that a step does not click.
constexpr double kRampSeconds = 0.005;

}  // namespace

std::unique_ptr<Stream> Stream::create(std::unique_ptr<SoundFile> file, int device_rate) {
  std::unique_ptr<Stream> stream(new Stream(std::move(file), device_rate));
  if (!stream->prebuffer()) return nullptr;
  return stream;
}

bool Stream::prebuffer() {
  std::lock_guard lock(decode_mutex_);
  bool at_end = false;
  const std::size_t got = decode_block(kPrebufferFrames, &at_end);
  if (got == 0) return false;
  ring_.write(converted_.data(), got);
  eof_written_.store(at_end, std::memory_order_release);
  head_.assign(converted_.begin(), converted_.begin() + got * ring_channels_);
  head_frames_ = got;
  head_is_whole_file_ = at_end;
  return true;
}

Stream::Stream(std::unique_ptr<SoundFile> file, int device_rate)
    : channels_(file->channels()),
      ring_channels_(std::min(file->channels(), Resampler::kMaxChannels)),
      sample_rate_(file->sample_rate()),
      ramp_frames_(std::max(1, static_cast<int>(device_rate * kRampSeconds))),
      length_frames_(file->frames()),
      ring_(ring_channels_, kRingFrames),
      file_(std::move(file)),
      decoded_(kChunkFrames * channels_),
      converted_(kChunkFrames * ring_channels_) {
  resampler_.configure(ring_channels_, sample_rate_, device_rate);
}

Stream::~Stream() = default;

std::size_t Stream::decode_block(std::size_t count, bool* at_end) {
  count = std::min(count, kChunkFrames);
  const auto got = static_cast<std::size_t>(file_->read(decoded_.data(), count));
  // Files with more than two channels play their first two (front left and right).
  for (std::size_t f = 0; f < got; ++f) {
    for (int c = 0; c < ring_channels_; ++c) {
      converted_[f * ring_channels_ + c] = decoded_[f * channels_ + c];
    }
  }
  decode_frame_ += static_cast<std::int64_t>(got);
  *at_end = got < count;
  if (*at_end) {
    // The real end: headers of cut-off or odd files may have promised a different length.
    length_frames_.store(decode_frame_, std::memory_order_relaxed);
  }
  return got;
}

bool Stream::refill() {
  std::lock_guard lock(decode_mutex_);
  if (eof_written_.load(std::memory_order_relaxed) || ring_.space() < kChunkFrames) return false;
  if (need_seek_) {
    if (!file_->seek(decode_frame_)) {
      length_frames_.store(decode_frame_, std::memory_order_relaxed);
      eof_written_.store(true, std::memory_order_release);
      return false;
    }
    need_seek_ = false;
  }
  bool at_end = false;
  const std::size_t got = decode_block(kChunkFrames, &at_end);
  ring_.write(converted_.data(), got);
  // Only after the frames are in: the mixer takes an empty ring with this flag set as the end.
  if (at_end) eof_written_.store(true, std::memory_order_release);
  return true;
}

void Stream::rewind_locked() {
  ring_.reset();
  ring_.write(head_.data(), head_frames_);
  decode_frame_ = static_cast<std::int64_t>(head_frames_);
  need_seek_ = !head_is_whole_file_;
  eof_written_.store(head_is_whole_file_, std::memory_order_release);
  reset_playback_locked(0);
}

void Stream::reset_playback_locked(std::int64_t base_frame) {
  resampler_.reset();
  base_frame_ = base_frame;
  consumed_ = 0;
}

void Stream::start_locked() {
  if (state_ != State::kPlaying) {
    fresh_ = true;
    awaiting_audible_ = true;
  }
  state_ = State::kPlaying;
}

void Stream::play(bool restart) {
  {
    std::lock_guard lock(mix_mutex_);
    // A stream that has not moved since it was made or rewound starts at once, without touching
    // the decoder: this is the usual create-then-play path.
    if (!(restart || state_ == State::kEnded) || at_start_locked()) {
      start_locked();
      return;
    }
  }
  std::scoped_lock lock(decode_mutex_, mix_mutex_);
  rewind_locked();
  start_locked();
}

bool Stream::pause() {
  std::lock_guard lock(mix_mutex_);
  if (state_ != State::kPlaying) return false;
  state_ = State::kPaused;
  return true;
}

void Stream::stop() {
  std::lock_guard lock(mix_mutex_);
  if (state_ != State::kEnded) state_ = State::kStopped;
}

void Stream::set_volume(float volume) {
  std::lock_guard lock(mix_mutex_);
  volume_ = std::clamp(volume, 0.0f, 1.0f);
}

bool Stream::is_playing() {
  std::lock_guard lock(mix_mutex_);
  return state_ == State::kPlaying;
}

std::int64_t Stream::position_frames() {
  std::lock_guard lock(mix_mutex_);
  if (state_ == State::kEnded) return base_frame_ + consumed_;
  return base_frame_ + std::min(resampler_.source_index(), consumed_);
}

bool Stream::seek(std::int64_t frame) {
  if (frame < 0 || frame > length_frames()) return false;
  std::lock_guard decode_lock(decode_mutex_);
  if (frame == 0) {
    std::lock_guard lock(mix_mutex_);
    rewind_locked();
    if (state_ == State::kEnded) state_ = State::kStopped;
    return true;
  }
  if (!file_->seek(frame)) {
    need_seek_ = true;  // the file moved; the decoder puts it back where it was
    return false;
  }
  // The mixer goes on playing what is in the ring until the new prebuffer is ready.
  decode_frame_ = frame;
  need_seek_ = false;
  bool at_end = false;
  const std::size_t got = decode_block(kPrebufferFrames, &at_end);
  std::lock_guard lock(mix_mutex_);
  ring_.reset();
  ring_.write(converted_.data(), got);
  eof_written_.store(at_end, std::memory_order_release);
  reset_playback_locked(frame);
  if (state_ == State::kEnded) state_ = State::kStopped;
  return true;
}

bool Stream::recent_output(float* samples) {
  std::lock_guard lock(mix_mutex_);
  if (state_ != State::kPlaying) return false;
  for (int i = 0; i < kHistoryFrames; ++i) {
    samples[i] = history_[(history_pos_ + i) % kHistoryFrames];
  }
  return true;
}

Stream::MixResult Stream::mix(float* out, int frames) {
  MixResult result;
  std::lock_guard lock(mix_mutex_);
  if (state_ != State::kPlaying) return result;
  if (fresh_) {
    // Nothing of this start has been heard yet, so a volume set right after play() applies
    // from the first frame instead of gliding there.
    gain_ = volume_;
    fresh_ = false;
  }
  const float ramp_step = 1.0f / static_cast<float>(ramp_frames_);

  auto pull = [this](float* frame) {
    const bool eof = eof_written_.load(std::memory_order_acquire);
    if (ring_.read(frame, 1) == 1) {
      ++consumed_;
      return true;
    }
    // Past the end the interpolator is fed silence until it has passed the last frame.
    return eof;
  };

  bool ended = false;
  for (int i = 0; i < frames; ++i) {
    float frame[Resampler::kMaxChannels] = {};
    if (!resampler_.next(frame, pull)) break;  // the decoder is behind: this buffer stays short
    if (resampler_.source_index() >= consumed_) {
      ended = true;
      break;
    }
    const float left = frame[0];
    const float right = ring_channels_ == 1 ? frame[0] : frame[1];
    history_[history_pos_ % kHistoryFrames] = 0.5f * (left + right);
    ++history_pos_;
    if (gain_ != volume_) {
      gain_ = gain_ < volume_ ? std::min(volume_, gain_ + ramp_step)
                              : std::max(volume_, gain_ - ramp_step);
    }
    out[2 * i] += gain_ * left;
    out[2 * i + 1] += gain_ * right;
    if (awaiting_audible_ && gain_ * std::max(std::fabs(left), std::fabs(right)) > 0.0f) {
      awaiting_audible_ = false;
      result.became_audible = true;
    }
  }
  if (ended) state_ = State::kEnded;
  result.playing = !ended;
  result.wants_refill =
      !eof_written_.load(std::memory_order_acquire) && ring_.space() >= kChunkFrames;
  return result;
}

}  // namespace kalvor::audiolib
