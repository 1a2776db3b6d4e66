#include "platform/core/gbk_text.h"

namespace kalvor {
bool GbkText::IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string GbkText::FromUtf8(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Encode(utf8);
}

std::string GbkText::ToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  return Decode(gbk);
}

std::size_t GbkText::CharLength(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t len = 1;
  if (byte(pos) >= 0x81 && byte(pos) <= 0xFE && pos + 1 < text.size()) {
    const unsigned char second = byte(pos + 1);
    len = (second >= 0x30 && second <= 0x39) ? 4 : 2;
  } else if (byte(pos) >= 0x81 && byte(pos) <= 0xFE) {
    len = 2;  // a lead byte cut off at the end
  }
  return len;
}

std::size_t GbkText::WholeCharsPrefix(std::string_view text, std::size_t n) {
  if (n >= text.size()) return text.size();
  std::size_t pos = 0;
  while (pos < n) {
    const std::size_t len = CharLength(text, pos);
    if (pos + len > n) break;
    pos += len;
  }
  return pos;
}

}  // namespace kalvor
