// What the Linux library is made of: SDL2 for output, libsndfile for decoding, kissfft for spectra.
#include "audio_output.h"
#include "kiss_fft_backend.h"
#include "real_fft.h"
#include "sdl_output.h"
#include "sndfile_decoder.h"
#include "sound_file.h"

namespace kalvor::audiolib {

std::unique_ptr<AudioOutput> AudioOutput::create() {
  return std::make_unique<SdlOutput>();
}

std::unique_ptr<SoundFile> SoundFile::open(const char* path) {
  return SndfileDecoder::open(path);
}

std::unique_ptr<RealFft> RealFft::create(int size) {
  return std::make_unique<KissFft>(size);
}

}  // namespace kalvor::audiolib
