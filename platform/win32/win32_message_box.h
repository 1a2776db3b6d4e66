// Message boxes through MessageBoxW, whose styles are the ones the interface passes on. The box
// runs its own message loop, so the program's other windows keep painting and hotkeys keep
// arriving while it is open; without an owner it is modal to the whole program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace kalvor {

class Win32MessageBox {
 public:
  // The button pressed: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6.
  static std::int32_t Show(HWND owner, std::string_view text, std::string_view title,
                           std::int32_t style);
  // The answer for a MessageBoxW result (IDOK .. IDNO); OK for anything else.
  static std::int32_t AnswerFor(int result);
};

}  // namespace kalvor
