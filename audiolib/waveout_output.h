// Output through the waveOut functions of winmm: device 1 is the wave mapper (the system's default
// output), the listed outputs are the waveOut devices in their order. The library's own thread
// keeps a few period-sized buffers of 16-bit stereo queued, refilling each as the system hands it
// back (it signals an event). Stopped, it queues one queue's worth of silence behind the sound and
// then nothing. The queue is what a change (a new sound, a stop, a volume) waits behind.
#pragma once

#include <windows.h>
// after windows.h, which it builds on
#include <mmsystem.h>

#include <array>
#include <mutex>
#include <thread>
#include <vector>

#include "audio_output.h"

namespace kalvor::audiolib {

class WaveOutOutput : public AudioOutput {
 public:
  WaveOutOutput();
  ~WaveOutOutput() override;

  bool connect() override { return true; }
  void disconnect() override {}
  std::vector<std::string> outputs() override;
  std::string driver() override { return "waveout"; }
  bool default_opens() override;

  bool open(int index, const char* name, int rate, int period_frames, Mixer mixer,
            Opened* opened) override;
  void close() override;
  void start() override;
  void stop() override;

 private:
  // Enough queued periods (93 ms at 44.1 kHz) to ride out a late wake-up of the refilling thread
  // on a busy machine.
  static constexpr int kBuffers = 16;
  static constexpr int kLeadInBuffers = 2;

  struct Buffer {
    WAVEHDR header{};
    std::vector<short> samples;
    bool queued = false;
  };

  void run();
  // With mutex_ held: queues the next buffer, mixed or silent, if the system has handed it back.
  bool queue_next_locked(bool mixed);
  // With mutex_ held: mixes into and queues every buffer the system has handed back, in order.
  void refill_locked();

  HANDLE returned_;  // signalled by the system for every buffer it is done with, and by us
  HWAVEOUT device_ = nullptr;
  Mixer mixer_;
  int period_ = 0;
  std::array<Buffer, kBuffers> buffers_;
  std::vector<float> mix_;
  int next_ = 0;  // the buffer to queue next
  std::thread thread_;

  std::mutex mutex_;  // held while mixing, so stop() returns only after a mix has ended
  bool running_ = false;
  bool closing_ = false;
  int silent_left_ = 0;  // silent buffers still to queue after a stop
};

}  // namespace kalvor::audiolib
