// The Linux library's output: SDL's outputs and, listed after them when a PulseAudio-protocol
// sound server answers, the virtual microphone (so the real devices keep their numbers). The
// engine drives whichever is open the same way.
#pragma once

#include <chrono>
#include <memory>

#include "audio_output.h"
#include "pulse_chat_output.h"
#include "sdl_output.h"

namespace kalvor::audiolib {

class LinuxOutput : public AudioOutput {
 public:
  // A server's answer is trusted this long: the program lists the devices and opens one at once.
  static constexpr std::chrono::seconds kAnswerKept{1};
  // The rate of the virtual microphone when the server did not tell its own.
  static constexpr int kFallbackRate = 48000;

  bool connect() override;
  void disconnect() override;
  std::vector<std::string> outputs() override;
  std::string driver() override;
  bool default_opens() override { return sdl_.default_opens(); }

  bool open(int index, const char* name, int rate, int period_frames, Mixer mixer,
            Opened* opened) override;
  void close() override;
  void start() override;
  void stop() override;
  void release() override;

 private:
  // Whether the virtual microphone can be listed: it is open, or a server answered lately.
  bool chat_listed();

  SdlOutput sdl_;
  std::unique_ptr<PulseChatOutput> chat_;
  int sdl_outputs_ = 0;
  bool server_answered_ = false;
  std::chrono::steady_clock::time_point asked_;
  int chat_rate_ = kFallbackRate;
};

}  // namespace kalvor::audiolib
