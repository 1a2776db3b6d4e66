// Hands files and web addresses to the Windows shell (ShellExecuteW) with a verb and a show mode.
// Results are the shell's: above 32 on success.
#pragma once

#include <cstdint>
#include <string_view>

namespace kalvor {

class Win32Shell {
 public:
  static std::int32_t Execute(std::int32_t verb, std::string_view target,
                              std::string_view parameters, std::string_view folder,
                              std::int32_t show);

  // L"edit", L"explore", L"find", L"open", L"print" for the codes 1..5; nullptr (the default
  // verb) otherwise.
  static const wchar_t* VerbName(std::int32_t verb);
  // 1 hidden, 2 normal, 3 minimised and active, 4 maximised, 5 shown without activation,
  // 6 minimised with the next window activated; anything else normal.
  static int ShowCommand(std::int32_t show);
};

}  // namespace kalvor
