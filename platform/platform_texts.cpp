// Texts and numbers of the platform service layer, and the accessor of the process's platform.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/platform_services.h"
#include "platform/platform_system.h"

namespace kalvor {
namespace {

PlatformServices* currentPlatform = nullptr;

// The full-width characters of the GBK set that have an ASCII twin, as code points: GBK A3A1..A3FE
// are U+FF01..U+FF5D except A3A4 (U+FFE5, the full-width yen sign, twin of "$") and A3FE (U+FFE3,
// the full-width macron, twin of "~"); A1A1 is the ideographic space, A1AB "～" (U+FF5E), and the
// stars ☆ and ★ (A1EE and A1EF) are both taken as "*".
char AsciiTwin(char32_t cp) {
  if (cp >= 0xFF01 && cp <= 0xFF5D && cp != 0xFF04) return static_cast<char>(cp - 0xFF01 + 0x21);
  switch (cp) {
    case 0xFFE5:
      return '$';
    case 0xFFE3:
    case 0xFF5E:
      return '~';
    case 0x3000:
      return ' ';
    case 0x2606:
    case 0x2605:
      return '*';
    default:
      return 0;
  }
}

// Replaces each full-width twin by its ASCII byte; all other bytes stay.
std::string FoldFullWidth(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if ((b0 == 0xE2 || b0 == 0xE3 || b0 == 0xEF) && i + 2 < text.size()) {
      const auto b1 = static_cast<unsigned char>(text[i + 1]);
      const auto b2 = static_cast<unsigned char>(text[i + 2]);
      if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80) {
        const char32_t cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
        if (const char twin = AsciiTwin(cp)) {
          out.push_back(twin);
          i += 3;
          continue;
        }
      }
    }
    out.push_back(text[i]);
    ++i;
  }
  return out;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

PlatformServices& Platform() {
  if (currentPlatform == nullptr) {
    std::fputs("kalvor: no platform has been set\n", stderr);
    std::abort();
  }
  return *currentPlatform;
}

void SetPlatform(PlatformServices* platform) {
  currentPlatform = platform;
}

std::string JoinTexts(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (const auto part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (const auto part : parts) out.append(part);
  return out;
}

int CompareTexts(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  const int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);  // memcmp is unsigned
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::int32_t TextLength(std::string_view text) {
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(std::min(text.size(), kMax));
}

std::string LeftText(std::string_view text, std::int32_t n) {
  if (n <= 0) return {};
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

double TextToNumber(std::string_view text) {
  const std::string folded = FoldFullWidth(text);
  const char* p = folded.c_str();
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  // Only a plain decimal number is taken, so the parser below never sees hexadecimal, "inf" or
  // "nan" forms that strtod would accept.
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  const char* digits = p;
  while (IsDigit(*p)) ++p;
  bool any = p != digits;
  if (*p == '.') {
    const char* fraction = ++p;
    while (IsDigit(*p)) ++p;
    any = any || p != fraction;
  }
  if (!any) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  const std::string number(start, p);
  // In the C locale: the program's locale (set by the toolkit) may use a decimal comma.
  return ParseNumberInCLocale(number.c_str());
}

std::string NumberToText(std::int32_t value) {
  return std::to_string(value);
}

std::string NumberToText(double value) {
  // to_chars with 13 digits of precision in general form is "%.13g", minus the locale.
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::general, 13);
  return std::string(buffer.data(), result.ptr);
}

std::int32_t TruncateToInt(double value) {
  // Out of the 64-bit range (and NaN) the processor's conversion gives 0x8000000000000000, whose
  // low 32 bits are 0; the same result is produced here without the undefined conversion.
  constexpr double kTwo63 = 9223372036854775808.0;
  if (!(std::fabs(value) < kTwo63)) return 0;
  const auto whole = static_cast<std::int64_t>(value);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

double Remainder(double a, double b) {
  if (b == 0.0) Platform().FatalError("不能求余数于零");
  // fmod is a - b * trunc(a / b) computed without rounding, so the sign is always that of a.
  return std::fmod(a, b);
}

std::int32_t FloorToInt(double x) {
  const double nearest = std::round(x);
  const double snapped = std::fabs(x - nearest) <= 1e-12 ? nearest : std::floor(x);
  return TruncateToInt(snapped);
}

std::int32_t MakeColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return static_cast<std::int32_t>(((static_cast<std::uint32_t>(blue) & 0xFFu) << 16) |
                                   ((static_cast<std::uint32_t>(green) & 0xFFu) << 8) |
                                   (static_cast<std::uint32_t>(red) & 0xFFu));
}

std::int32_t ShiftLeft(std::int32_t value, std::int32_t count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)
                                   << (static_cast<std::uint32_t>(count) & 31u));
}

}  // namespace kalvor
