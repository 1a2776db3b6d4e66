#include "platform/win32/win32_message_box.h"

#include "platform/core/wide_text.h"

namespace kalvor {

std::int32_t Win32MessageBox::AnswerFor(int result) {
  return result >= IDOK && result <= IDNO ? result - IDOK : 0;
}

std::int32_t Win32MessageBox::Show(HWND owner, std::string_view text, std::string_view title,
                                   std::int32_t style) {
  auto flags = static_cast<UINT>(style);
  if (owner == nullptr && (flags & (MB_SYSTEMMODAL | MB_TASKMODAL)) == 0) flags |= MB_TASKMODAL;
  return AnswerFor(MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), flags));
}

}  // namespace kalvor
