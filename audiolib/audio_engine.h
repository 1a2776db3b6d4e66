// The library's state behind the exported functions: the open output device, the streams, the
// audio callback that mixes them and the decoder thread that feeds them.
//
// Threads: the callers (one UI thread in the program, serialised here anyway), the output's audio
// thread running mix(), and the decoder thread running service(). The mixer takes list_mutex_
// (the stream table) and then a stream's own locks, none of which is held for long anywhere.
//
// Idle: only the decoder thread starts and stops the output. When nothing plays it stops it, so an
// idle library uses no CPU; play asks the decoder thread to start it again.
// Lock order: the output's own lock, list_mutex_, a stream's locks.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "device_list.h"

namespace kalvor::audiolib {

class AudioOutput;
class DecoderThread;
class SpectrumAnalyzer;
class Stream;

class AudioEngine {
 public:
  // Device period asked of the output, in frames.
  static constexpr int kPeriodFrames = 256;
  static constexpr int kDefaultRate = 44100;

  struct DeviceInfo {
    const char* name;
    const char* driver;
    bool is_default;
    bool is_open;
  };

  struct StreamFormat {
    int channels;
    int sample_rate;
  };

  // Called on the audio thread with the handle of a stream whose first non-silent frame since
  // it was started has just been mixed into the buffer going to the device. For measurements.
  using AudibleHook = void (*)(std::uint32_t handle);

  // The one engine of the process. It is never destroyed, so nothing depends on the order in
  // which static objects go away at exit.
  static AudioEngine& instance();
  static void set_audible_hook(AudibleHook hook);

  // -1 means device 1. Frees an open device first.
  bool init(int device, std::uint32_t rate);
  bool free();
  bool device_info(int device, DeviceInfo* info);
  // Period and rate of the open device; 0 when not initialised.
  int device_period_frames();
  int device_rate();

  // Handle of a new stream on the open device, 0 when not initialised or the file is unusable.
  std::uint32_t create_stream(const char* path);
  bool free_stream(std::uint32_t handle);
  bool play(std::uint32_t handle, bool restart);
  bool stop(std::uint32_t handle);
  bool pause(std::uint32_t handle);
  bool set_volume(std::uint32_t handle, float volume);
  bool format(std::uint32_t handle, StreamFormat* format);
  // -1 for a bad handle.
  std::int64_t length_frames(std::uint32_t handle);
  std::int64_t position_frames(std::uint32_t handle);
  bool set_position_frames(std::uint32_t handle, std::int64_t frame);
  // 512 magnitudes of the stream's latest output (zeros while it does not play).
  bool spectrum(std::uint32_t handle, float* magnitudes);

 private:
  AudioEngine();
  ~AudioEngine() = delete;

  void mix(float* out, int frames);
  void service();

  bool ensure_connected_locked();
  void disconnect_locked();
  void free_locked();
  std::shared_ptr<Stream> find(std::uint32_t handle);
  void ensure_running();
  // Decoder thread only.
  void park_if_idle();

  static std::atomic<AudibleHook> audible_hook_;

  std::mutex api_mutex_;
  std::unique_ptr<AudioOutput> output_;
  bool connected_ = false;
  DeviceList devices_;
  bool initialised_ = false;
  int device_number_ = 0;
  int rate_ = 0;
  int period_ = 0;
  std::uint32_t last_handle_ = 0;
  std::unique_ptr<DecoderThread> decoder_;
  std::unique_ptr<SpectrumAnalyzer> analyzer_;

  // The mixer found nothing playing: the decoder thread should park the device.
  std::atomic<bool> park_requested_{false};
  // A stream was started: the decoder thread should make sure the device runs.
  std::atomic<bool> run_requested_{false};

  std::mutex list_mutex_;
  std::map<std::uint32_t, std::shared_ptr<Stream>> streams_;
};

}  // namespace kalvor::audiolib
