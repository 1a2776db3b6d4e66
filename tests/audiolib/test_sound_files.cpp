#include "tests/audiolib/test_sound_files.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

#include "tests/support/files.h"

namespace kalvor::test {

namespace {

// ID3v2.4 sizes are 28-bit "syncsafe" numbers: 7 bits per byte.
std::string syncsafe(std::uint32_t n) {
  return {static_cast<char>((n >> 21) & 0x7f), static_cast<char>((n >> 14) & 0x7f),
          static_cast<char>((n >> 7) & 0x7f), static_cast<char>(n & 0x7f)};
}

std::string text_frame(const std::string& id, const std::string& utf8) {
  const std::string body = std::string(1, '\x03') + utf8;  // encoding 3 = UTF-8
  return id + syncsafe(static_cast<std::uint32_t>(body.size())) + std::string(2, '\0') + body;
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

double Tone::sample(long frame) const {
  const double t = static_cast<double>(frame) / rate;
  return dc + amplitude * std::sin(2.0 * std::numbers::pi * frequency * t + phase);
}

TestSoundFiles::TestSoundFiles()
    : dir_(std::filesystem::temp_directory_path() /
           ("kalvor-audiolib-test-" + std::to_string(::getpid()))) {
  std::filesystem::create_directories(dir_);
}

TestSoundFiles::~TestSoundFiles() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void TestSoundFiles::add_id3v2_tag(const std::string& path, const std::string& title) {
  const std::string frames = text_frame("TIT2", title) + text_frame("TPE1", "Kalvor 测试") +
                             std::string(1024, '\0');  // padding, as taggers leave it
  const std::string header =
      std::string("ID3\x04\x00\x00", 6) + syncsafe(static_cast<std::uint32_t>(frames.size()));
  WriteFile(PathFromUtf8(path), header + frames + ReadFile(PathFromUtf8(path)));
}

std::string TestSoundFiles::bytes(const std::string& name, const std::string& content) {
  const std::string path = Utf8FromPath(dir_ / PathFromUtf8(name));
  WriteFile(PathFromUtf8(path), content);
  return path;
}

std::string TestSoundFiles::random_bytes(const std::string& name, std::size_t size) {
  std::mt19937 random(12345);
  std::string content(size, '\0');
  for (char& c : content) c = static_cast<char>(random() & 0xff);
  return bytes(name, content);
}

std::string TestSoundFiles::truncated_copy(const std::string& source, const std::string& name,
                                           std::size_t size) {
  return bytes(name, ReadFile(PathFromUtf8(source)).substr(0, size));
}

std::string TestSoundFiles::folder(const std::string& name) {
  const std::filesystem::path path = dir_ / PathFromUtf8(name);
  std::filesystem::create_directories(path);
  return Utf8FromPath(path);
}

}  // namespace kalvor::test
