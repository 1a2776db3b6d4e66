// Whole files in and out: what the program wrote, and what a test prepares for it to read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kalvor::test {

// A path given as UTF-8 text, as the program holds paths, or as a path. (On Windows a plain
// std::string would be read in the ANSI code page.)
class FilePath {
 public:
  FilePath(const std::filesystem::path& path) : path_(path) {}
  FilePath(std::string_view utf8) : path_(std::u8string(utf8.begin(), utf8.end())) {}
  FilePath(const std::string& utf8) : FilePath(std::string_view(utf8)) {}
  FilePath(const char* utf8) : FilePath(std::string_view(utf8)) {}
  operator const std::filesystem::path&() const { return path_; }
  const std::filesystem::path& get() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The file's bytes; "" when it is missing or cannot be read.
inline std::string ReadFile(const FilePath& path) {
  std::ifstream in(path.get(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> ReadBytes(const FilePath& path) {
  const std::string bytes = ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

// Replaces the file's contents.
inline void WriteFile(const FilePath& path, std::string_view bytes) {
  std::ofstream out(path.get(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kalvor::test
