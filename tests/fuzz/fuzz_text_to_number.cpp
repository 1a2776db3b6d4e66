// TextToNumber on arbitrary texts, checked against a second reading of the same rules made with
// std::from_chars, and the conversions that follow it in the program (TruncateToInt, FloorToInt,
// NumberToText) on whatever it returns.
//
// Rules: the full-width twins of ASCII characters count as those characters (U+FF01..U+FF5D
// except U+FF04, U+FFE5 "$", U+FFE3 and U+FF5E "~", U+3000 blank, U+2605 and U+2606 "*"); then
// blanks are skipped and the number the text begins with is taken (sign, digits with an optional
// point, an optional exponent); a text that does not begin with a number gives 0.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/platform_services.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using kalvor::fuzz::Printable;

char Twin(char32_t cp) {
  if (cp >= 0xFF01 && cp <= 0xFF5D && cp != 0xFF04) return static_cast<char>(cp - 0xFF01 + 0x21);
  if (cp == 0xFFE5) return '$';
  if (cp == 0xFFE3 || cp == 0xFF5E) return '~';
  if (cp == 0x3000) return ' ';
  if (cp == 0x2605 || cp == 0x2606) return '*';
  return 0;
}

// Folds the twins, decoding only well-formed three-byte UTF-8 sequences.
std::string Fold(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 >= 0xE0 && b0 <= 0xEF && i + 2 < text.size()) {
      const auto b1 = static_cast<unsigned char>(text[i + 1]);
      const auto b2 = static_cast<unsigned char>(text[i + 2]);
      if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80) {
        const char32_t cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
        if (const char twin = Twin(cp)) {
          out.push_back(twin);
          i += 3;
          continue;
        }
      }
    }
    out.push_back(text[i++]);
  }
  return out;
}

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

double Reference(std::string_view text) {
  const std::string folded = Fold(text);
  std::string_view s = folded;
  // The first zero byte ends a text.
  s = s.substr(0, s.find('\0'));
  while (!s.empty() && (s.front() == ' ' || (s.front() >= '\t' && s.front() <= '\r'))) {
    s.remove_prefix(1);
  }
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::size_t n = 0;
  std::size_t digits = 0;
  while (n < s.size() && Digit(s[n])) ++n, ++digits;
  if (n < s.size() && s[n] == '.') {
    ++n;
    while (n < s.size() && Digit(s[n])) ++n, ++digits;
  }
  if (digits == 0) return 0.0;
  if (n < s.size() && (s[n] == 'e' || s[n] == 'E')) {
    std::size_t e = n + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    if (e < s.size() && Digit(s[e])) {
      while (e < s.size() && Digit(s[e])) ++e;
      n = e;
    }
  }
  double value = 0.0;
  const auto result = std::from_chars(s.data(), s.data() + n, value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large gives infinity, too small zero, as strtod does: which one follows from the
    // position of the first significant digit.
    const std::string_view number = s.substr(0, n);
    const std::size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
      std::string_view digits = number.substr(e + 1);
      const bool minus = digits.front() == '-';
      if (digits.front() == '+' || digits.front() == '-') digits.remove_prefix(1);
      for (const char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
      if (minus) exponent = -exponent;
    }
    const std::size_t first = mantissa.find_first_of("123456789");
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const long long magnitude =
        exponent + (first < point ? static_cast<long long>(point - first)
                                  : -static_cast<long long>(first - point - 1));
    value = magnitude > 0 ? HUGE_VAL : 0.0;
  }
  return negative ? -value : value;
}

bool Same(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (a == 0 && b == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Texts end at a zero byte: the program never holds one inside a text.
  const std::string_view asText = text.substr(0, text.find('\0'));
  const double value = kalvor::TextToNumber(asText);
  const double expected = Reference(asText);
  FUZZ_CHECK(Same(value, expected), Printable(asText) + " gave " + std::to_string(value) +
                                        ", expected " + std::to_string(expected));
  FUZZ_CHECK(!std::isnan(value), Printable(asText) + " gave NaN");

  // What the settings code does with a number read from the file.
  const std::int32_t whole = kalvor::TruncateToInt(value);
  if (std::fabs(value) < 2147483648.0) {
    FUZZ_CHECK(whole == static_cast<std::int32_t>(std::trunc(value)), Printable(asText));
  }
  kalvor::FloorToInt(value);
  // Written back with 13 significant digits, a finite number reads as itself to that precision
  // (infinity is written "inf", which reads as 0 like any text that is no number).
  const std::string written = kalvor::NumberToText(value);
  if (std::isfinite(value)) {
    const double again = kalvor::TextToNumber(written);
    FUZZ_CHECK(std::fabs(again - value) <= std::fabs(value) * 1e-12,
               Printable(asText) + " -> " + written);
  }
  FUZZ_CHECK(kalvor::TextToNumber(kalvor::NumberToText(whole)) == whole, written);
  return 0;
}
