// The artwork the Windows edition's program file carries: found by the paths the forms use,
// decoded by GDI+, and shown by the picture box, whose banners animate only while they can be
// seen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/assets/board_assets.h"
#include "board/main_window_form.h"
#include "platform/win32/win32_picture_box.h"
#include "platform/win32/win32_resources.h"
#include "tests/support/win32_test_window.h"

namespace kalvor {
namespace {

TEST(Win32ResourcesTest, NameForTurnsThePathIntoTheResourceName) {
  const struct {
    std::string_view path;
    std::wstring name;
  } cases[] = {
      {":/kalvor/icon.png", L"KALVOR_ICON_PNG"},
      {":/kalvor/banner_top.gif", L"KALVOR_BANNER_TOP_GIF"},
      {"kalvor/Mixed-Case 2.gif", L"KALVOR_MIXED_CASE_2_GIF"},
      {":/kalvor/\xE6\xA8\xAA\xE5\xB9\x85.gif", L"KALVOR____GIF"},  // two Chinese characters
      {":/", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win32_resources::NameFor(c.path), c.name) << c.path;
  }
}

TEST(Win32ResourcesTest, TheFormsArtworkIsCarriedAndReadable) {
  EXPECT_EQ(BoardAssets::Missing(), std::vector<std::string>{});
  EXPECT_TRUE(win32_resources::Find(":/kalvor/none.png").empty());
  EXPECT_EQ(win32_resources::LoadIconFor(":/kalvor/none.png", 32), nullptr);

  const auto icon = win32_resources::Find(MainWindowForm::kIconResource);
  ASSERT_GT(icon.size(), 8u);
  EXPECT_EQ(std::string(icon.begin(), icon.begin() + 4), "\x89PNG");
  for (std::string_view banner :
       {MainWindowForm::kTopBannerResource, MainWindowForm::kBottomBannerResource}) {
    const auto bytes = win32_resources::Find(banner);
    ASSERT_GT(bytes.size(), 6u) << banner;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a") << banner;
  }
}

TEST(Win32ResourcesTest, IconIsMadeAtTheSizeAskedWithItsTransparency) {
  HICON icon = win32_resources::LoadIconFor(MainWindowForm::kIconResource, 32);
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(icon, &info));
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = 32;
  format.bmiHeader.biHeight = -32;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(32 * 32);
  HDC screen = ::GetDC(nullptr);
  BITMAP colour{};
  ::GetObjectW(info.hbmColor, sizeof(colour), &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  EXPECT_EQ(::GetDIBits(screen, info.hbmColor, 0, 32, pixels.data(), &format, DIB_RGB_COLORS), 32);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(pixels[0] >> 24, 0u);                // rounded corner
  EXPECT_EQ(pixels[16 * 32 + 16] >> 24, 0xFFu);  // solid middle
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  ::DestroyIcon(icon);
}

using win32_test::MakeWindow;
using win32_test::Pump;

TEST(Win32PictureBoxTest, PicturesAreDecodedWithTheirFramesAndDelays) {
  // Message-only boxes: decoding needs no display.
  auto make = [](std::string_view path, int id) {
    return Win32PictureBox::Create(HWND_MESSAGE, 0, 0, 424, 160, path, id);
  };
  HWND top = make(MainWindowForm::kTopBannerResource, 1);
  HWND bottom = make(MainWindowForm::kBottomBannerResource, 2);
  HWND icon = make(MainWindowForm::kIconResource, 3);
  HWND none = make(":/kalvor/none.gif", 4);
  ASSERT_TRUE(top && bottom && icon && none);

  const std::vector<int> delays = Win32PictureBox::Delays(top);
  EXPECT_EQ(delays.size(), 18u);
  for (int delay : delays) EXPECT_GE(delay, 20);
  EXPECT_EQ(Win32PictureBox::Delays(bottom), (std::vector<int>{200, 200}));
  EXPECT_EQ(Win32PictureBox::Delays(icon).size(), 1u);
  EXPECT_TRUE(Win32PictureBox::Delays(none).empty());  // an empty box, not a failure
  EXPECT_EQ(Win32PictureBox::Steps(none), 0);
  EXPECT_EQ(::GetDlgCtrlID(bottom), 2);
  HWND plain = MakeWindow();
  EXPECT_EQ(Win32PictureBox::Steps(plain), -1);
  for (HWND hwnd : {top, bottom, icon, none, plain}) ::DestroyWindow(hwnd);
}

// Showing, minimizing and hiding need a window system: Wine's X11 driver on the display the
// tests are given.
TEST(Win32PictureBoxTest, AnimatesOnlyWhileItCanBeSeen) {
  if (!win32_test::HaveDisplay()) GTEST_SKIP() << "no X display for Wine (KALVOR_WINE_DISPLAY)";
  HWND window = MakeWindow(nullptr, true);
  ASSERT_NE(window, nullptr);
  HWND box =
      Win32PictureBox::Create(window, 0, 0, 424, 160, MainWindowForm::kBottomBannerResource, 1);
  ASSERT_NE(box, nullptr);
  Pump(500);
  EXPECT_EQ(Win32PictureBox::Steps(box), 0) << "stepped while its window was never shown";

  // Each phase: what is done, then whether the box should step (200 ms a frame).
  const struct {
    const char* what;
    HWND hwnd;
    int show;
    bool steps;
  } phases[] = {
      {"shown", window, SW_SHOWNOACTIVATE, true},
      {"window minimized", window, SW_MINIMIZE, false},
      {"window restored", window, SW_RESTORE, true},
      {"box hidden", box, SW_HIDE, false},
      {"box shown", box, SW_SHOW, true},
      {"window hidden", window, SW_HIDE, false},
      {"window shown again", window, SW_SHOWNOACTIVATE, true},
  };
  for (const auto& phase : phases) {
    ::ShowWindow(phase.hwnd, phase.show);
    Pump(150);  // the change settles, a step already due may still come
    const int before = Win32PictureBox::Steps(box);
    Pump(900);
    const int stepped = Win32PictureBox::Steps(box) - before;
    if (phase.steps) {
      EXPECT_GE(stepped, 2) << phase.what;
    } else {
      EXPECT_EQ(stepped, 0) << phase.what;
    }
  }
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace kalvor
