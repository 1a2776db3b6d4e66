#include <windows.h>

#include "tests/support/gbk.h"

namespace kalvor::test {
namespace {

constexpr UINT kGbk = 936;

// The text converted from one code page to another through UTF-16; "<not convertible>" when it
// is not.
std::string Convert(UINT to, UINT from, std::string_view text) {
  if (text.empty()) return {};
  const int bytes = static_cast<int>(text.size());
  const int chars = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), bytes, nullptr, 0);
  if (chars <= 0) return "<not convertible>";
  std::wstring wide(static_cast<std::size_t>(chars), L'\0');
  MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), bytes, wide.data(), chars);
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(to, 0, wide.data(), chars, nullptr, 0, nullptr,
                                       to == CP_UTF8 ? nullptr : &lossy);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(to, 0, wide.data(), chars, out.data(), size, nullptr,
                      to == CP_UTF8 ? nullptr : &lossy);
  return lossy ? "<not convertible>" : out;
}

}  // namespace

std::string Gbk(std::string_view utf8) {
  return Convert(kGbk, CP_UTF8, utf8);
}

std::string Utf8FromGbk(std::string_view gbk) {
  return Convert(CP_UTF8, kGbk, gbk);
}

}  // namespace kalvor::test
