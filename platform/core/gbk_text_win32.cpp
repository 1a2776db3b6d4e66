#include <windows.h>

#include <algorithm>

#include "platform/core/gbk_text.h"
#include "platform/core/wide_text.h"

namespace kalvor {
namespace {

// GB18030 where the system has it (Windows does), else GBK itself (Wine lacks GB18030).
UINT GbkCodePage() {
  static const UINT codePage = IsValidCodePage(54936) ? 54936 : 936;
  return codePage;
}

// UTF-8 to UTF-16, an invalid byte becoming "?" as on Linux.
std::wstring WidenStrictly(std::string_view utf8) {
  std::wstring wide;
  wide.reserve(utf8.size());
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      length = 1;
      c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07;
    }
    bool valid = length > 0 && i + length <= utf8.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (byte(i + k) & 0xC0) == 0x80;
      c = (c << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8 either.
    valid = valid && !(length == 3 && c < 0x800) && !(length == 4 && c < 0x10000) &&
            !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
    if (!valid) {
      wide.push_back(L'?');
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      wide.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
      wide.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      wide.push_back(static_cast<wchar_t>(c));
    }
    i += length;
  }
  return wide;
}

// One character or a whole text of the code page to UTF-16; false when it holds an invalid
// sequence.
bool DecodeStrictly(std::string_view gbk, std::wstring& out) {
  const int bytes = static_cast<int>(gbk.size());
  const int size =
      MultiByteToWideChar(GbkCodePage(), MB_ERR_INVALID_CHARS, gbk.data(), bytes, nullptr, 0);
  if (size <= 0) return false;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(size));
  MultiByteToWideChar(GbkCodePage(), MB_ERR_INVALID_CHARS, gbk.data(), bytes, out.data() + at,
                      size);
  return true;
}

}  // namespace

std::string GbkText::Encode(std::string_view utf8) {
  const std::wstring wide = WidenStrictly(utf8);
  const int chars = static_cast<int>(wide.size());
  // A character the code page lacks becomes its default character, "?".
  const int size =
      WideCharToMultiByte(GbkCodePage(), 0, wide.data(), chars, nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<std::size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(GbkCodePage(), 0, wide.data(), chars, gbk.data(), size, nullptr, nullptr);
  return gbk;
}

std::string GbkText::Decode(std::string_view gbk) {
  std::wstring wide;
  if (!DecodeStrictly(gbk, wide)) {
    // Character by character: an invalid sequence gives U+FFFD for its first byte, and decoding
    // goes on after that byte, as on Linux.
    wide.clear();
    for (std::size_t pos = 0; pos < gbk.size();) {
      const std::size_t length = std::min(CharLength(gbk, pos), gbk.size() - pos);
      if (DecodeStrictly(gbk.substr(pos, length), wide)) {
        pos += length;
      } else {
        wide.push_back(L'\xFFFD');
        ++pos;
      }
    }
  }
  return Narrow(wide);
}

}  // namespace kalvor
