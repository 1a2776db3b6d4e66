// What the Linux library is made of: SDL2 for output (with the virtual microphone beside its
// outputs where libpulse is built in), libsndfile for decoding, kissfft for spectra.
#include "audio_output.h"
#include "kiss_fft_backend.h"
#ifdef KALVOR_CHAT_DEVICE
#include "linux_output.h"
#endif
#include "real_fft.h"
#include "sdl_output.h"
#include "sndfile_decoder.h"
#include "sound_file.h"

namespace kalvor::audiolib {

std::unique_ptr<AudioOutput> AudioOutput::create() {
#ifdef KALVOR_CHAT_DEVICE
  return std::make_unique<LinuxOutput>();
#else
  return std::make_unique<SdlOutput>();
#endif
}

std::unique_ptr<SoundFile> SoundFile::open(const char* path) {
  return SndfileDecoder::open(path);
}

std::unique_ptr<RealFft> RealFft::create(int size) {
  return std::make_unique<KissFft>(size);
}

}  // namespace kalvor::audiolib
