#pragma once

#include <string>
#include <string_view>

namespace kalvor {

// Converts UTF-8 text to GBK (the Simplified Chinese ANSI code page) with iconv.
// Throws std::runtime_error when a character has no GBK form.
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace kalvor
