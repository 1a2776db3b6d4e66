#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/audiolib/disk_capture.h"
#include "tests/audiolib/test_sound_files.h"
#include "tests/support/wait_until.h"

namespace kalvor::test {

namespace {

constexpr std::size_t kFrameBytes = 2 * sizeof(float);
// Sound handed to Wine reaches the tape within this much of the tape's time.
constexpr std::size_t kLatencyFrames = DiskCapture::kRate * 4 / 10;

std::string tape_path() {
  const char* tape = std::getenv("KALVOR_TEST_TAPE");
  return tape != nullptr ? tape : "";
}

std::size_t tape_length(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
  return error ? 0 : static_cast<std::size_t>(size) / kFrameBytes * kFrameBytes;
}

}  // namespace

DiskCapture::DiskCapture(std::string /*path*/) : path_(tape_path()) {
  mark_ = tape_length(path_);
}

bool DiskCapture::available() const {
  return !path_.empty();
}

void DiskCapture::drain() {
  const std::size_t now = tape_length(path_);
  WaitUntil([&] { return tape_length(path_) >= now + kLatencyFrames * kFrameBytes; },
            std::chrono::seconds(10));
}

void DiskCapture::load() {
  read_recorded();
}

void DiskCapture::read_recorded() {
  const std::size_t end = tape_length(path_);
  samples_.assign((end - std::min(end, mark_)) / sizeof(float), 0.0f);
  std::ifstream in(PathFromUtf8(path_), std::ios::binary);
  in.seekg(static_cast<std::streamoff>(mark_));
  in.read(reinterpret_cast<char*>(samples_.data()),
          static_cast<std::streamsize>(samples_.size() * sizeof(float)));
}

}  // namespace kalvor::test
