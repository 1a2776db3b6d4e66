// Small helpers shared by the resource tests.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kalvor::test {

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Decodes GBK text to UTF-8; returns "<invalid>" when the bytes are not GBK.
inline std::string GbkToUtf8(const std::string& gbk) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  std::string in = gbk;
  std::vector<char> out(in.size() * 3 + 4);
  char* src = in.data();
  std::size_t src_left = in.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  const std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return "<invalid>";
  return std::string(out.data(), out.size() - dst_left);
}

inline std::filesystem::path SoundFile(std::string_view name) {
  return std::filesystem::path(KALVOR_SOUND_DIR) / (std::string(name) + ".mp3");
}

}  // namespace kalvor::test
