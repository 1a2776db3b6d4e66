#include "platform/win32/win32_shell.h"

#include <windows.h>
// ShellExecuteW
#include <shellapi.h>

#include <string>

#include "platform/core/wide_text.h"

namespace kalvor {

const wchar_t* Win32Shell::VerbName(std::int32_t verb) {
  switch (verb) {
    case 1:
      return L"edit";
    case 2:
      return L"explore";
    case 3:
      return L"find";
    case 4:
      return L"open";
    case 5:
      return L"print";
    default:
      return nullptr;
  }
}

int Win32Shell::ShowCommand(std::int32_t show) {
  switch (show) {
    case 1:
      return SW_HIDE;
    case 3:
      return SW_SHOWMINIMIZED;
    case 4:
      return SW_SHOWMAXIMIZED;
    case 5:
      return SW_SHOWNA;
    case 6:
      return SW_MINIMIZE;
    default:
      return SW_SHOWNORMAL;
  }
}

std::int32_t Win32Shell::Execute(std::int32_t verb, std::string_view target,
                                 std::string_view parameters, std::string_view folder,
                                 std::int32_t show) {
  const std::wstring file = Widen(target);
  const std::wstring arguments = Widen(parameters);
  const std::wstring directory = WidePath(folder);
  const HINSTANCE result = ShellExecuteW(
      nullptr, VerbName(verb), file.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
      directory.empty() ? nullptr : directory.c_str(), ShowCommand(show));
  return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(result));
}

}  // namespace kalvor
