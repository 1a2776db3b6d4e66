// Paths are UTF-8 texts inside the program; std::filesystem takes them through this one
// conversion (on Windows the path becomes the UTF-16 one the W functions take).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kalvor {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace kalvor
