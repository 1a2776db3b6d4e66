// RegisterHotKey on a host window: keys held by another refused, presses reported by id, and the
// host's own window procedure kept in the chain and put back when the last key goes.
#include "platform/hotkeys/win32_hotkey_backend.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/win32_test_window.h"

namespace kalvor {
namespace {

constexpr UINT kPing = WM_APP + 7;
int pings = 0;
int hostHotkeys = 0;

LRESULT CALLBACK HostOwnProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing) ++pings;
  if (message == WM_HOTKEY) ++hostHotkeys;
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(Win32HotkeyBackendTest, GrabsReportPressesAndGiveTheHostItsProcedureBack) {
  HWND host = win32_test::MakeWindow(&HostOwnProcedure);
  HWND otherHost = win32_test::MakeWindow(&HostOwnProcedure);
  ASSERT_TRUE(host && otherHost);
  const auto own = reinterpret_cast<LONG_PTR>(&HostOwnProcedure);
  auto procedureOf = [](HWND hwnd) { return ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC); };

  HWND target = host;
  Win32HotkeyBackend backend([&] { return target; });
  std::vector<std::int32_t> presses;
  backend.SetPressCallback([&](std::int32_t id) { presses.push_back(id); });
  {
    Win32HotkeyBackend other([&] { return otherHost; });
    ASSERT_TRUE(backend.Grab(33001, 0, VK_F7));
    ASSERT_TRUE(backend.Grab(33002, hotkey_mod::kControl | hotkey_mod::kShift, VK_F7));
    EXPECT_FALSE(backend.Grab(33001, 0, VK_F8)) << "an id in use";
    EXPECT_FALSE(other.Grab(33003, 0, VK_F7)) << "a key another window holds";
    EXPECT_TRUE(other.Grab(33004, hotkey_mod::kAlt, VK_F7));
    EXPECT_NE(procedureOf(host), own);
    EXPECT_NE(procedureOf(otherHost), own);
  }  // a backend that goes releases its keys and puts the procedure back
  EXPECT_EQ(procedureOf(otherHost), own);
  // A key on another window while the first is watched: held there, that window left alone.
  target = otherHost;
  EXPECT_TRUE(backend.Grab(33006, 0, VK_F9));
  EXPECT_EQ(procedureOf(otherHost), own);
  EXPECT_TRUE(backend.Ungrab(33006));
  target = host;

  // Presses come by id before the host sees the message; the host still gets all the others.
  pings = hostHotkeys = 0;
  ::PostMessageW(host, WM_HOTKEY, 33002, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F7));
  ::PostMessageW(host, WM_HOTKEY, 33099, 0);  // not one of ours
  ::PostMessageW(host, WM_HOTKEY, 33001, MAKELPARAM(0, VK_F7));
  ::SendMessageW(host, kPing, 0, 0);
  win32_test::Pump(100);
  EXPECT_EQ(presses, (std::vector<std::int32_t>{33002, 33001}));
  EXPECT_EQ(hostHotkeys, 3);
  EXPECT_EQ(pings, 1);

  EXPECT_TRUE(backend.Ungrab(33001));
  EXPECT_FALSE(backend.Ungrab(33001));
  EXPECT_NE(procedureOf(host), own) << "put back with the last key only";
  EXPECT_TRUE(backend.Ungrab(33002));
  EXPECT_EQ(procedureOf(host), own);
  ::PostMessageW(host, WM_HOTKEY, 33002, 0);
  win32_test::Pump(50);
  EXPECT_EQ(presses.size(), 2u) << "a press after the key was released";

  // Released keys are free for another window.
  Win32HotkeyBackend later([&] { return otherHost; });
  EXPECT_TRUE(later.Grab(33005, 0, VK_F7));
  EXPECT_TRUE(later.Ungrab(33005));
  ::DestroyWindow(host);
  ::DestroyWindow(otherHost);
}

}  // namespace
}  // namespace kalvor
