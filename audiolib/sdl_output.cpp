#include "sdl_output.h"

namespace kalvor::audiolib {

namespace {

constexpr int kChannels = 2;

}  // namespace

bool SdlOutput::connect() {
  if (connected_) return true;
  // The library lives inside someone else's program: SDL must not take over SIGINT and SIGTERM,
  // or the program could no longer be ended with them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  connected_ = true;
  return true;
}

void SdlOutput::disconnect() {
  if (!connected_) return;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  connected_ = false;
}

std::vector<std::string> SdlOutput::outputs() {
  std::vector<std::string> names;
  const int n = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < n; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    names.emplace_back(name != nullptr ? name : "");
  }
  return names;
}

std::string SdlOutput::driver() {
  const char* driver = SDL_GetCurrentAudioDriver();
  return driver != nullptr ? driver : "";
}

bool SdlOutput::default_opens() {
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_F32SYS;
  want.channels = kChannels;
  want.samples = 512;
  // Opened paused with no callback: nothing plays before it is closed again.
  const SDL_AudioDeviceID id =
      SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (id == 0) return false;
  SDL_CloseAudioDevice(id);
  return true;
}

bool SdlOutput::open(int /*index*/, const char* name, int rate, int period_frames, Mixer mixer,
                     Opened* opened) {
  mixer_ = std::move(mixer);
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_F32SYS;
  want.channels = kChannels;
  want.samples = static_cast<Uint16>(period_frames);
  want.callback = &SdlOutput::callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // SDL opens devices paused, so the callback cannot run before start().
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
  if (id == 0) return false;
  device_ = id;
  running_ = false;
  parked_ = false;
  opened->rate = have.freq;
  opened->period_frames = have.samples;
  return true;
}

void SdlOutput::close() {
  SDL_CloseAudioDevice(device_);  // waits for SDL's audio thread to end
  device_ = 0;
}

void SdlOutput::start() {
  if (running_) return;
  SDL_PauseAudioDevice(device_, 0);  // SDL's lock is recursive: fine while parked
  if (parked_) SDL_UnlockAudioDevice(device_);
  parked_ = false;
  running_ = true;
}

void SdlOutput::stop() {
  if (parked_) return;
  // Pausing waits for a callback in progress to end.
  SDL_PauseAudioDevice(device_, 1);
  SDL_LockAudioDevice(device_);
  parked_ = true;
  running_ = false;
}

void SdlOutput::release() {
  if (parked_) SDL_UnlockAudioDevice(device_);
  parked_ = false;
}

void SDLCALL SdlOutput::callback(void* self, Uint8* buffer, int bytes) {
  static_cast<SdlOutput*>(self)->mixer_(reinterpret_cast<float*>(buffer),
                                        bytes / static_cast<int>(kChannels * sizeof(float)));
}

}  // namespace kalvor::audiolib
