// What the Windows library is made of: waveOut for output; WAV by our own reader, MP3 through the
// Audio Compression Manager, FLAC through Media Foundation; our own FFT for spectra. The format
// is told by the file's first bytes, not by its name.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "acm_mp3_decoder.h"
#include "audio_output.h"
#include "mf_decoder.h"
#include "radix2_fft.h"
#include "real_fft.h"
#include "sound_file.h"
#include "wav_decoder.h"
#include "waveout_output.h"
#include "win32_text.h"

namespace kalvor::audiolib {

namespace {

// MP3 files are read whole; anything larger than this is not a sound effect.
constexpr std::uint64_t kMaxMp3Bytes = std::uint64_t{512} << 20;
constexpr std::size_t kHeadBytes = 64;

}  // namespace

std::unique_ptr<AudioOutput> AudioOutput::create() {
  // The output's thread and the decoder thread run our code until the device is freed; a program
  // that lets go of the library before that (on its way out of a fatal error) must not have the
  // code unmapped under them, so the library stays loaded once it has opened an output.
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&AudioOutput::create), &self);
  return std::make_unique<WaveOutOutput>();
}

std::unique_ptr<SoundFile> SoundFile::open(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  const std::wstring wide = widen(path);
  // Folders and devices would make a decoder fail late or block: only regular, non-empty files.
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &attributes) ||
      (attributes.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return nullptr;
  }
  const std::uint64_t size =
      std::uint64_t{attributes.nFileSizeHigh} << 32 | attributes.nFileSizeLow;
  if (size == 0) return nullptr;
  std::FILE* file = _wfopen(wide.c_str(), L"rb");
  if (file == nullptr) return nullptr;
  std::uint8_t head[kHeadBytes];
  const std::size_t head_size = std::fread(head, 1, sizeof head, file);
  if (head_size >= 12 && std::memcmp(head, "RIFF", 4) == 0 &&
      std::memcmp(head + 8, "WAVE", 4) == 0) {
    return WavDecoder::open(file);
  }
  if (MfDecoder::is_flac(head, head_size)) {
    std::fclose(file);
    return MfDecoder::open(wide, head, head_size);
  }
  if (size > kMaxMp3Bytes) {
    std::fclose(file);
    return nullptr;
  }
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  std::rewind(file);
  data.resize(std::fread(data.data(), 1, data.size(), file));
  std::fclose(file);
  return AcmMp3Decoder::open(std::move(data));
}

std::unique_ptr<RealFft> RealFft::create(int size) {
  return std::make_unique<Radix2Fft>(size);
}

}  // namespace kalvor::audiolib
