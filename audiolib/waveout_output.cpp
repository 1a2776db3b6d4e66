#include "waveout_output.h"

#include <algorithm>
#include <cmath>

#include "win32_text.h"

namespace kalvor::audiolib {

namespace {

constexpr int kChannels = 2;

short to_pcm16(float sample) {
  return static_cast<short>(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}

}  // namespace

WaveOutOutput::WaveOutOutput() : returned_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

WaveOutOutput::~WaveOutOutput() {
  if (device_ != nullptr) close();
  CloseHandle(returned_);
}

std::vector<std::string> WaveOutOutput::outputs() {
  std::vector<std::string> names;
  const UINT count = waveOutGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    WAVEOUTCAPSW caps{};
    if (waveOutGetDevCapsW(id, &caps, sizeof caps) != MMSYSERR_NOERROR) caps.szPname[0] = L'\0';
    caps.szPname[MAXPNAMELEN - 1] = L'\0';
    names.push_back(narrow(caps.szPname));
  }
  return names;
}

bool WaveOutOutput::default_opens() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kChannels;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = kChannels * 2;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  // A query opens nothing.
  return waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR;
}

bool WaveOutOutput::open(int index, const char* /*name*/, int rate, int period_frames, Mixer mixer,
                         Opened* opened) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kChannels;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = kChannels * 2;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  const UINT id = index < 0 ? WAVE_MAPPER : static_cast<UINT>(index);
  ResetEvent(returned_);
  if (waveOutOpen(&device_, id, &format, reinterpret_cast<DWORD_PTR>(returned_), 0,
                  CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    device_ = nullptr;
    return false;
  }
  mixer_ = std::move(mixer);
  period_ = period_frames;
  mix_.assign(static_cast<std::size_t>(period_ * kChannels), 0.0f);
  for (Buffer& buffer : buffers_) {
    buffer.samples.assign(static_cast<std::size_t>(period_ * kChannels), 0);
    buffer.header = WAVEHDR{};
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
    buffer.header.dwBufferLength = static_cast<DWORD>(buffer.samples.size() * sizeof(short));
    waveOutPrepareHeader(device_, &buffer.header, sizeof buffer.header);
    buffer.queued = false;
  }
  next_ = 0;
  running_ = false;
  closing_ = false;
  thread_ = std::thread([this] { run(); });
  opened->rate = rate;
  opened->period_frames = period_;
  return true;
}

void WaveOutOutput::close() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    running_ = false;
  }
  SetEvent(returned_);
  thread_.join();
  waveOutReset(device_);  // hands every queued buffer back at once
  for (Buffer& buffer : buffers_) {
    waveOutUnprepareHeader(device_, &buffer.header, sizeof buffer.header);
  }
  waveOutClose(device_);
  device_ = nullptr;
}

void WaveOutOutput::start() {
  std::lock_guard lock(mutex_);
  if (running_) return;
  running_ = true;
  silent_left_ = 0;
  // While the last sound (or the silence behind it) is still playing, mixing just goes on behind
  // it: pausing the device now would lose what it has queued (Wine's does).
  const bool playing = std::any_of(buffers_.begin(), buffers_.end(), [](const Buffer& buffer) {
    return buffer.queued && (buffer.header.dwFlags & WHDR_DONE) == 0;
  });
  if (playing) {
    SetEvent(returned_);
    return;
  }
  // A device that starts again drops its first few milliseconds (under Wine at least), so it
  // starts with silence. The first mix comes when that silence is handed back, by which time a
  // call made right after play (a volume, a stop) has landed.
  waveOutPause(device_);
  for (int i = 0; i < kLeadInBuffers && queue_next_locked(false); ++i) {
  }
  waveOutRestart(device_);
}

void WaveOutOutput::stop() {
  std::lock_guard lock(mutex_);
  running_ = false;
  silent_left_ = kBuffers;
}

void WaveOutOutput::run() {
  // Refilling late is heard as a gap, so this thread goes before the program's own.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  for (;;) {
    WaitForSingleObject(returned_, INFINITE);
    std::lock_guard lock(mutex_);
    if (closing_) return;
    if (running_) {
      refill_locked();
    } else {
      // The sound that is queued plays out with silence behind it: a device whose queue runs dry
      // may cut or delay its last milliseconds (Wine's does).
      while (silent_left_ > 0 && queue_next_locked(false)) --silent_left_;
    }
  }
}

bool WaveOutOutput::queue_next_locked(bool mixed) {
  Buffer& buffer = buffers_[next_];
  if (buffer.queued && (buffer.header.dwFlags & WHDR_DONE) == 0) return false;
  if (mixed) {
    mixer_(mix_.data(), period_);
    std::transform(mix_.begin(), mix_.end(), buffer.samples.begin(), to_pcm16);
  } else {
    std::fill(buffer.samples.begin(), buffer.samples.end(), short{0});
  }
  buffer.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
  buffer.queued = waveOutWrite(device_, &buffer.header, sizeof buffer.header) == MMSYSERR_NOERROR;
  if (!buffer.queued) return false;  // the device has gone; a later start() tries again
  next_ = (next_ + 1) % kBuffers;
  return true;
}

void WaveOutOutput::refill_locked() {
  while (queue_next_locked(true)) {
  }
}

}  // namespace kalvor::audiolib
