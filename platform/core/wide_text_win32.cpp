#include "platform/core/wide_text.h"

#include <windows.h>

#include <algorithm>

namespace kalvor {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int bytes = static_cast<int>(utf8.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide.data(), size);
  return wide;
}

std::wstring WidePath(std::string_view utf8) {
  std::wstring wide = Widen(utf8);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int chars = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), chars, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), chars, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace kalvor
