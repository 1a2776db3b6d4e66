// Texts are UTF-8 inside the library and UTF-16 at the Win32 boundary (the W functions).
#pragma once

#include <string>

namespace kalvor::audiolib {

// A path or name as Windows takes it. Bytes that are not UTF-8 are read in the ANSI code page, as
// a program written for the A functions would have passed them.
std::wstring widen(const char* text);
std::string narrow(const wchar_t* text);

}  // namespace kalvor::audiolib
