// Output through SDL2. The driver comes from SDL_AUDIODRIVER when it is set, which is how the
// tests pick theirs.
//
// Idle: a paused SDL device still runs its thread, writing silence every period. stop() therefore
// also takes SDL's device lock, which parks that thread in SDL's own loop, so an idle output uses
// no CPU; start() unpauses and lets go of it, which takes well under a millisecond.
#pragma once

#include <SDL.h>

#include "audio_output.h"

namespace kalvor::audiolib {

class SdlOutput : public AudioOutput {
 public:
  bool connect() override;
  void disconnect() override;
  std::vector<std::string> outputs() override;
  std::string driver() override;
  bool default_opens() override;

  bool open(int index, const char* name, int rate, int period_frames, Mixer mixer,
            Opened* opened) override;
  void close() override;
  void start() override;
  void stop() override;
  void release() override;

 private:
  static void SDLCALL callback(void* self, Uint8* buffer, int bytes);

  bool connected_ = false;
  Mixer mixer_;
  SDL_AudioDeviceID device_ = 0;
  bool running_ = false;  // unpaused
  bool parked_ = false;   // paused, and holding SDL's device lock
};

}  // namespace kalvor::audiolib
