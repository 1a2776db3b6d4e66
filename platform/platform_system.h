// The few things the platform interface's own functions ask of the system, one implementation per
// system (platform_system_posix.cpp, platform_system_win32.cpp).
#pragma once

namespace kalvor {

// strtod in the C locale, whatever locale the process has.
double ParseNumberInCLocale(const char* text);

}  // namespace kalvor
