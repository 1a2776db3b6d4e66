// The Windows edition keeps every text in UTF-8, like the Linux one, and converts at the Win32
// boundary: the W functions take and give UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace kalvor {

// UTF-8 to UTF-16; an invalid byte becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
// A path for the W functions: UTF-16, with every "/" turned into "\" (some functions, the
// library loader among them, take only "\").
std::wstring WidePath(std::string_view utf8);
// UTF-16 to UTF-8.
std::string Narrow(std::wstring_view wide);

}  // namespace kalvor
