// Stream creation in our audio library on arbitrary file bytes.
//
// The library is opened once on SDL's dummy driver. Input: one byte that picks the file's name
// ending (.mp3, .wav, .flac, .ogg: libsndfile guesses some formats from it), then the file's
// bytes. Each input is written as a new file (a stream still being closed by the decoder thread
// keeps reading its own), opened as a stream, asked for its length, moved to its middle (which
// decodes there at once), and freed. Properties: no crash, no leak, no undefined behaviour; a
// stream that opened reports a length and takes a position within it.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "audiolib/bass_library.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr const char* kEndings[] = {".mp3", ".wav", ".flac", ".ogg"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  FUZZ_CHECK(BASS_Init(-1, 44100, 0, nullptr, nullptr) != 0, "no audio library on SDL's dummy");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static unsigned serial = 0;
  const std::filesystem::path folder = kalvor::fuzz::Scratch() / "stream";
  std::filesystem::create_directories(folder);
  const std::filesystem::path file =
      folder / ("sound" + std::to_string(serial++ % 2) + kEndings[data[0] % 4]);
  std::filesystem::remove(file);
  kalvor::fuzz::WriteBytes(file,
                           std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

  const std::uint32_t stream = BASS_StreamCreateFile(0, file.c_str(), 0, 0, 0);
  if (stream == 0) return 0;
  const std::uint64_t length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  FUZZ_CHECK(length != ~std::uint64_t{0} && length > 0, "an open stream without a length");
  FUZZ_CHECK(BASS_ChannelBytes2Seconds(stream, length) >= 0.0, "negative length");
  const bool moved = BASS_ChannelSetPosition(stream, length / 2, BASS_POS_BYTE) != 0;
  if (moved) {
    const std::uint64_t position = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
    FUZZ_CHECK(position <= length, "position beyond the length");
  }
  float spectrum[1024];
  BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT1024);
  FUZZ_CHECK(BASS_StreamFree(stream) != 0, "an open stream could not be freed");
  return 0;
}
