#include "audio_engine.h"

#include <algorithm>
#include <vector>

#include "audio_output.h"
#include "decoder_thread.h"
#include "sound_file.h"
#include "spectrum_analyzer.h"
#include "stream.h"

namespace kalvor::audiolib {

namespace {

constexpr int kMinRate = 8000;
constexpr int kMaxRate = 192000;
constexpr int kChannels = 2;

}  // namespace

std::atomic<AudioEngine::AudibleHook> AudioEngine::audible_hook_{nullptr};

AudioEngine& AudioEngine::instance() {
  static AudioEngine* engine = new AudioEngine();
  return *engine;
}

void AudioEngine::set_audible_hook(AudibleHook hook) {
  audible_hook_.store(hook);
}

AudioEngine::AudioEngine() = default;

bool AudioEngine::ensure_connected_locked() {
  if (connected_) return true;
  if (!output_) output_ = AudioOutput::create();
  if (!output_->connect()) return false;
  connected_ = true;
  devices_.refresh(*output_);
  return true;
}

void AudioEngine::disconnect_locked() {
  if (!connected_) return;
  devices_.clear();
  output_->disconnect();
  connected_ = false;
}

bool AudioEngine::init(int device, std::uint32_t rate) {
  std::lock_guard api(api_mutex_);
  if (device == -1) device = 1;
  if (device < 1 || !ensure_connected_locked()) return false;
  devices_.refresh(*output_);
  if (device > devices_.count()) return false;
  // Callers change devices with Free and Init; an Init on its own replaces the open device too.
  if (initialised_) free_locked();

  const int want_rate =
      rate >= kMinRate && rate <= kMaxRate ? static_cast<int>(rate) : kDefaultRate;
  AudioOutput::Opened opened;
  // The output opens stopped, so the mixer cannot run before the decoder thread starts it.
  if (!output_->open(
          device - 2, devices_.open_name(device), want_rate, kPeriodFrames,
          [this](float* out, int frames) { mix(out, frames); }, &opened)) {
    return false;
  }
  device_number_ = device;
  rate_ = opened.rate;
  period_ = opened.period_frames;
  initialised_ = true;
  run_requested_.store(false);
  park_requested_.store(true);  // nothing plays yet
  decoder_ = std::make_unique<DecoderThread>([this] { service(); }, [this] { output_->release(); });
  decoder_->wake();
  return true;
}

bool AudioEngine::free() {
  std::lock_guard api(api_mutex_);
  if (!initialised_) {
    disconnect_locked();
    return false;
  }
  free_locked();
  disconnect_locked();
  return true;
}

void AudioEngine::free_locked() {
  decoder_->stop();  // lets the output go on its way out
  output_->close();
  decoder_.reset();
  std::map<std::uint32_t, std::shared_ptr<Stream>> gone;
  {
    std::lock_guard lock(list_mutex_);
    gone.swap(streams_);
  }
  gone.clear();
  initialised_ = false;
  device_number_ = 0;
  rate_ = 0;
  period_ = 0;
}

bool AudioEngine::device_info(int device, DeviceInfo* info) {
  std::lock_guard api(api_mutex_);
  if (device < 1 || !ensure_connected_locked()) return false;
  // Callers walk the numbers from 1 upwards: read the driver's list afresh at the start of a walk.
  if (device == 1 || !devices_.loaded()) devices_.refresh(*output_);
  const char* name = devices_.name(device);
  if (name == nullptr) return false;
  info->name = name;
  info->driver = devices_.driver();
  info->is_default = device == 1;
  info->is_open = initialised_ && device == device_number_;
  return true;
}

int AudioEngine::device_period_frames() {
  std::lock_guard api(api_mutex_);
  return period_;
}

int AudioEngine::device_rate() {
  std::lock_guard api(api_mutex_);
  return rate_;
}

std::shared_ptr<Stream> AudioEngine::find(std::uint32_t handle) {
  if (handle == 0) return nullptr;
  std::lock_guard lock(list_mutex_);
  const auto it = streams_.find(handle);
  return it == streams_.end() ? nullptr : it->second;
}

std::uint32_t AudioEngine::create_stream(const char* path) {
  std::lock_guard api(api_mutex_);
  if (!initialised_) return 0;
  std::unique_ptr<SoundFile> file = SoundFile::open(path);
  if (!file) return 0;
  std::shared_ptr<Stream> stream = Stream::create(std::move(file), rate_);
  if (!stream) return 0;
  // Handles count up for the life of the process and skip 0 when they wrap.
  if (++last_handle_ == 0) ++last_handle_;
  const std::uint32_t handle = last_handle_;
  {
    std::lock_guard lock(list_mutex_);
    streams_.emplace(handle, std::move(stream));
  }
  decoder_->wake();  // fill the rest of the ring behind the prebuffer
  return handle;
}

bool AudioEngine::free_stream(std::uint32_t handle) {
  std::lock_guard api(api_mutex_);
  std::shared_ptr<Stream> gone;
  {
    std::lock_guard lock(list_mutex_);
    const auto it = streams_.find(handle);
    if (it == streams_.end()) return false;
    gone = std::move(it->second);
    streams_.erase(it);
  }
  // Closed here, outside the list lock (or by the decoder thread if it is refilling it now).
  return true;
}

bool AudioEngine::play(std::uint32_t handle, bool restart) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  if (!stream) return false;
  stream->play(restart);
  ensure_running();
  decoder_->wake();
  return true;
}

bool AudioEngine::stop(std::uint32_t handle) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  if (!stream) return false;
  stream->stop();
  return true;
}

bool AudioEngine::pause(std::uint32_t handle) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  return stream && stream->pause();
}

bool AudioEngine::set_volume(std::uint32_t handle, float volume) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  if (!stream || !(volume == volume)) return false;  // NaN is no volume
  stream->set_volume(volume);
  return true;
}

bool AudioEngine::format(std::uint32_t handle, StreamFormat* format) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  if (!stream) return false;
  format->channels = stream->channels();
  format->sample_rate = stream->sample_rate();
  return true;
}

std::int64_t AudioEngine::length_frames(std::uint32_t handle) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  return stream ? stream->length_frames() : -1;
}

std::int64_t AudioEngine::position_frames(std::uint32_t handle) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  return stream ? stream->position_frames() : -1;
}

bool AudioEngine::set_position_frames(std::uint32_t handle, std::int64_t frame) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  if (!stream || !stream->seek(frame)) return false;
  decoder_->wake();
  return true;
}

bool AudioEngine::spectrum(std::uint32_t handle, float* magnitudes) {
  std::lock_guard api(api_mutex_);
  const std::shared_ptr<Stream> stream = find(handle);
  if (!stream) return false;
  float samples[SpectrumAnalyzer::kSize];
  if (!stream->recent_output(samples)) {
    std::fill(magnitudes, magnitudes + SpectrumAnalyzer::kBins, 0.0f);
    return true;
  }
  if (!analyzer_) analyzer_ = std::make_unique<SpectrumAnalyzer>();
  analyzer_->analyze(samples, magnitudes);
  return true;
}

void AudioEngine::ensure_running() {
  run_requested_.store(true);
  decoder_->wake();
}

void AudioEngine::park_if_idle() {
  {
    std::lock_guard list(list_mutex_);
    for (const auto& entry : streams_) {
      if (entry.second->is_playing()) return;
    }
  }
  // Outside list_mutex_: stopping waits for a mix in progress, which takes that lock. A stream
  // started from here on asks for the output to start again afterwards.
  output_->stop();
}

void AudioEngine::service() {
  // A start waits for at most one decoded chunk: the program creates a stream and plays it at
  // once, while this thread is still filling that stream's ring behind its prebuffer.
  auto start_if_asked = [this] {
    if (run_requested_.exchange(false)) output_->start();
  };
  start_if_asked();
  std::vector<std::shared_ptr<Stream>> streams;
  for (;;) {
    streams.clear();
    {
      std::lock_guard lock(list_mutex_);
      for (const auto& entry : streams_) streams.push_back(entry.second);
    }
    bool worked = false;
    for (const auto& stream : streams) {
      worked = stream->refill() || worked;
      start_if_asked();
    }
    if (!worked) break;
  }
  streams.clear();
  if (park_requested_.exchange(false)) park_if_idle();
}

void AudioEngine::mix(float* out, int frames) {
  std::fill(out, out + frames * kChannels, 0.0f);
  bool playing = false;
  bool refill = false;
  {
    std::lock_guard lock(list_mutex_);
    for (const auto& [handle, stream] : streams_) {
      const Stream::MixResult result = stream->mix(out, frames);
      playing = playing || result.playing;
      refill = refill || result.wants_refill;
      if (result.became_audible) {
        if (AudibleHook hook = audible_hook_.load(std::memory_order_relaxed)) hook(handle);
      }
    }
  }
  for (int i = 0; i < frames * kChannels; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  if (refill) decoder_->wake();
  if (!playing && !park_requested_.exchange(true)) decoder_->wake();
}

}  // namespace kalvor::audiolib
