#include <cstdlib>
#include <fstream>

#include "tests/audiolib/disk_capture.h"

namespace kalvor::test {

DiskCapture::DiskCapture(std::string path) : path_(std::move(path)) {
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
}

bool DiskCapture::available() const {
  return true;
}

void DiskCapture::drain() {}

void DiskCapture::load() {
  read_recorded();
}

void DiskCapture::read_recorded() {
  std::ifstream in(path_, std::ios::binary | std::ios::ate);
  if (!in) {
    samples_.clear();
    return;
  }
  const auto size = static_cast<std::size_t>(in.tellg());
  samples_.assign(size / sizeof(float) / 2 * 2, 0.0f);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(samples_.data()),
          static_cast<std::streamsize>(samples_.size() * sizeof(float)));
}

}  // namespace kalvor::test
