// One playing file: the decoder side fills a ring of frames (at the file's rate, one or two
// channels), the mixer side resamples them to the device rate, applies the volume and adds them to
// the device buffer.
//
// Locks: decode_mutex_ guards the file and is held by the decoder thread while it decodes one
// chunk; mix_mutex_ guards the playback state and is held by the audio callback while it mixes this
// stream. Callers that reposition the stream take decode_mutex_ first, then mix_mutex_. The audio
// callback never waits for decode_mutex_.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "frame_ring.h"
#include "resampler.h"

namespace kalvor::audiolib {

class SoundFile;

class Stream {
 public:
  // Ring size, decode chunk and the prebuffer decoded before the stream is handed out (which is
  // also kept as a copy so a restart needs no decoding).
  static constexpr std::size_t kRingFrames = 16384;
  static constexpr std::size_t kChunkFrames = 4096;
  static constexpr std::size_t kPrebufferFrames = 4096;
  static constexpr int kHistoryFrames = 1024;

  struct MixResult {
    bool playing = false;         // still playing after this buffer
    bool wants_refill = false;    // the ring has room for another chunk
    bool became_audible = false;  // the first non-silent output since play() is in this buffer
  };

  // Decodes the prebuffer from an open file. Null when the file yields no audio at all.
  static std::unique_ptr<Stream> create(std::unique_ptr<SoundFile> file, int device_rate);

  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  int channels() const { return channels_; }
  int sample_rate() const { return sample_rate_; }
  // Frames in the file: the header's count until the decoder has found the real end.
  std::int64_t length_frames() const { return length_frames_.load(std::memory_order_relaxed); }

  // --- caller side ---
  // restart, or a stream that has ended, starts from the first frame.
  void play(bool restart);
  // false when the stream was not playing.
  bool pause();
  void stop();
  void set_volume(float volume);
  bool is_playing();
  std::int64_t position_frames();
  // Moves to a frame (0..length). Decodes a prebuffer there on the caller's thread.
  bool seek(std::int64_t frame);
  // The last kHistoryFrames mono frames this stream delivered, oldest first; false (and nothing
  // written) when it is not playing.
  bool recent_output(float* samples);

  // --- decoder thread ---
  // Decodes one chunk when the ring has room for it. True when it decoded something.
  bool refill();

  // --- audio callback ---
  // Adds this stream to frames stereo frames of out.
  MixResult mix(float* out, int frames);

 private:
  enum class State { kStopped, kPlaying, kPaused, kEnded };

  Stream(std::unique_ptr<SoundFile> file, int device_rate);

  // Decodes the first frames into the ring and keeps a copy of them. False when there are none.
  bool prebuffer();
  // With decode_mutex_ held: decodes up to count frames into converted_ (ring layout); at_end
  // tells whether the file ended there.
  std::size_t decode_block(std::size_t count, bool* at_end);
  // With both locks held.
  void rewind_locked();
  // With mix_mutex_ held.
  void reset_playback_locked(std::int64_t base_frame);
  void start_locked();
  bool at_start_locked() const { return base_frame_ == 0 && consumed_ == 0; }

  const int channels_;
  const int ring_channels_;
  const int sample_rate_;
  const int ramp_frames_;

  std::atomic<std::int64_t> length_frames_;
  FrameRing ring_;
  // Set by the decoder after it put the file's last frame into the ring.
  std::atomic<bool> eof_written_{false};

  std::mutex decode_mutex_;
  std::unique_ptr<SoundFile> file_;
  std::int64_t decode_frame_ = 0;  // next file frame to decode
  bool need_seek_ = false;         // the file is not positioned at decode_frame_
  std::vector<float> decoded_;     // file layout
  std::vector<float> converted_;   // ring layout
  std::vector<float> head_;        // the prebuffer, ring layout
  std::size_t head_frames_ = 0;
  bool head_is_whole_file_ = false;

  std::mutex mix_mutex_;
  State state_ = State::kStopped;
  Resampler resampler_;
  std::int64_t base_frame_ = 0;  // file frame at the start of the ring
  std::int64_t consumed_ = 0;    // frames taken from the ring since then
  float volume_ = 1.0f;
  float gain_ = 1.0f;  // the volume as it ramps towards volume_
  bool fresh_ = false;
  bool awaiting_audible_ = false;
  float history_[kHistoryFrames] = {};
  std::uint32_t history_pos_ = 0;
};

}  // namespace kalvor::audiolib
