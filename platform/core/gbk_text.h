// Conversions between the UTF-8 texts the program holds in memory and the GBK bytes of the files
// it shares with the Windows edition (the settings file, archive entry names). GB18030 is used on
// the GBK side: it is a superset of GBK, so every GBK file decodes and every character encodes.
// The conversion itself is the system's (gbk_text_posix.cpp: iconv; gbk_text_win32.cpp: the code
// page functions, with GBK itself where the system lacks GB18030, as Wine does).
#pragma once

#include <string>
#include <string_view>

namespace kalvor {

class GbkText {
 public:
  // UTF-8 to GB18030. An invalid UTF-8 byte becomes "?".
  static std::string FromUtf8(std::string_view utf8);
  // GB18030 (GBK) to UTF-8. An invalid or incomplete sequence becomes U+FFFD.
  static std::string ToUtf8(std::string_view gbk);

  static bool IsAscii(std::string_view text);
  // Length in bytes (1, 2 or 4) of the GB18030 character that starts at text[pos].
  static std::size_t CharLength(std::string_view text, std::size_t pos);
  // The longest prefix of at most n bytes that does not end inside a character.
  static std::size_t WholeCharsPrefix(std::string_view text, std::size_t n);

 private:
  // The conversions of texts that are not all ASCII.
  static std::string Encode(std::string_view utf8);
  static std::string Decode(std::string_view gbk);
};

}  // namespace kalvor
