#include "win32_text.h"

#include <windows.h>

#include <cstring>

namespace kalvor::audiolib {

std::wstring widen(const char* text) {
  const int bytes = static_cast<int>(std::strlen(text));
  if (bytes == 0) return {};
  UINT code_page = CP_UTF8;
  int size = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text, bytes, nullptr, 0);
  if (size == 0) {
    code_page = CP_ACP;
    size = MultiByteToWideChar(code_page, 0, text, bytes, nullptr, 0);
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(code_page, code_page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, text, bytes,
                      wide.data(), size);
  return wide;
}

std::string narrow(const wchar_t* text) {
  const int chars = static_cast<int>(std::wcslen(text));
  if (chars == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, chars, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, chars, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace kalvor::audiolib
