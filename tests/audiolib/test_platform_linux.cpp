#include <malloc.h>

#include <cstdlib>

#include "tests/audiolib/test_platform.h"

namespace kalvor::test {

bool UseSilentOutput() {
  // Also over a choice made earlier in the process (the disk driver of the playback tests).
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  return true;
}

const char* SilentOutputDriver() {
  return "dummy";
}

bool LibraryDecodes(const std::string& /*extension*/) {
  return true;  // libsndfile reads every format the tests write
}

bool LibrarySeeksExactly(const std::string& extension) {
  // libsndfile's MP3 and Vorbis readers land a little off the frame asked for (the MP3 reader
  // also decodes the first frame after a seek without the data it borrows from the ones before).
  return extension == ".wav" || extension == ".flac";
}

std::size_t ProcessMemoryBytes() {
  const struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace kalvor::test
