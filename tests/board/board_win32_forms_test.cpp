// The board's five forms on the Win32 platform under Wine: each builds without a fatal error, with
// a window for every control that has a face, the artwork found. Without an X display for Wine no
// window can be made and the test skips.
#include <gtest/gtest.h>
#include <windows.h>

#include "board/board_forms.h"
#include "platform/win32/win32_platform.h"

namespace kalvor {
namespace {

TEST(BoardWin32Forms, EveryFormBuildsWithAWindowForEachControl) {
  Win32Platform platform(GetModuleHandleW(nullptr));
  BoardForms::RegisterAll(platform);
  for (const FormDef& form : BoardForms::All()) {
    SCOPED_TRACE(form.name);
    if (!platform.LoadWindow(form.name)) {
      GTEST_SKIP() << "no window can be made: Wine needs an X display (KALVOR_WINE_DISPLAY)";
    }
    for (const ControlDef& def : form.controls) {
      const bool windowless =
          def.kind == ControlKind::ArchiveUnit || def.kind == ControlKind::FileDialog;
      EXPECT_EQ(platform.GetWindowHandle(form.name, def.name) != 0, !windowless) << def.name;
    }
    if (!form.icon.empty()) {
      const auto hwnd = reinterpret_cast<HWND>(
          static_cast<std::intptr_t>(platform.GetWindowHandle(form.name, form.name)));
      EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
    }
  }
}

}  // namespace
}  // namespace kalvor
