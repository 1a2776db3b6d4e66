// GBK text made by the system's own conversion (iconv on Linux, the code page functions on
// Windows), independent of the program's, as a Windows program would have stored it.
// One implementation per system: gbk_posix.cpp, gbk_win32.cpp (library kalvor_test_gbk).
#pragma once

#include <string>
#include <string_view>

namespace kalvor::test {

// "<not convertible>" when the text has no GBK form, or is no valid UTF-8 or GBK.
std::string Gbk(std::string_view utf8);
std::string Utf8FromGbk(std::string_view gbk);

}  // namespace kalvor::test
