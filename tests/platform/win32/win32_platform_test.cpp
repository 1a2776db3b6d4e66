// The Win32 platform under Wine with an X display: a form with every kind of control built,
// placed in form pixels and captioned; property writes that raise nothing; real mouse clicks; modal
// windows; the order in which a window goes; hotkeys, the message box and the open-file dialog.
// Without a display no window can be made and the tests skip.
#include <gtest/gtest.h>
#include <windows.h>
// TCM_*
#include <commctrl.h>
// cmb13, edt1: the name field of the open-file dialog
#include <dlgs.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/wide_text.h"
#include "platform/hotkeys/global_hotkey_service.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_platform.h"
#include "tests/platform/form_builders.h"

namespace kalvor {
namespace {

constexpr std::string_view kMain = "主窗口";
constexpr std::string_view kDialog = "对话框";

using test::Control;

FormDef MainForm() {
  FormDef form{
      .name = std::string(kMain), .caption = "音效助手", .outerWidth = 420, .outerHeight = 360};
  auto& c = form.controls;
  // Held by the group box, listed before it.
  c.push_back(Control("组内标签", ControlKind::Label, 8, 14, 60, 16, "组里", "分组框"));
  c.push_back(Control("按钮", ControlKind::Button, 8, 8, 96, 24, "欢呼掌声"));
  c.push_back(Control("标签", ControlKind::Label, 112, 12, 80, 16, "音量调节"));
  c.push_back(Control("窄按钮", ControlKind::Button, 300, 8, 48, 24, "八戒背媳妇儿"));
  c.push_back(Control("透明标签", ControlKind::TransparentLabel, 200, 12, 80, 16, "音频输出："));
  c.push_back(Control("选择框", ControlKind::CheckBox, 8, 40, 96, 16, "热键开关"));
  ControlDef list = Control("列表", ControlKind::ComboList, 112, 40, 120, 20);
  list.items = {"扬声器", "耳机"};
  c.push_back(list);
  ControlDef edit = Control("组合编辑框", ControlKind::ComboEdit, 240, 40, 120, 20);
  edit.items = {"F1", "F2"};
  c.push_back(edit);
  ControlDef slider = Control("滑块", ControlKind::Slider, 8, 72, 128, 20);
  slider.maximum = 100;
  slider.position = 50;
  c.push_back(slider);
  c.push_back(Control("编辑框", ControlKind::EditBox, 144, 72, 120, 20, "路径"));
  // Overlaps the edit box, made before it.
  c.push_back(Control("图片框", ControlKind::PictureBox, 260, 72, 64, 32));
  ControlDef tab = Control("选择夹", ControlKind::TabControl, -8, 110, 300, 120);
  tab.items = {"第一页", "第二页"};
  tab.font = {.family = "宋体", .pixelHeight = 12, .weight = 400, .charset = 134};
  c.push_back(tab);
  c.push_back(Control("页一按钮", ControlKind::Button, 16, 32, 80, 24, "页一", "选择夹", 1));
  c.push_back(Control("页二按钮", ControlKind::Button, 16, 32, 80, 24, "页二", "选择夹", 2));
  c.push_back(Control("分组框", ControlKind::GroupBox, 300, 110, 100, 60, "分组"));
  c.push_back(Control("浏览框", ControlKind::WebViewer, 300, 180, 100, 40, "https://example.com/"));
  c.push_back(Control("压缩包", ControlKind::ArchiveUnit, 0, 0, 0, 0));
  c.push_back(Control("文件对话框", ControlKind::FileDialog, 0, 0, 0, 0));
  return form;
}

// Dispatches this thread's messages until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, int milliseconds = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  MSG message;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
  return true;
}

void Pump(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

class Win32PlatformTest : public testing::Test {
 protected:
  void SetUp() override {
    platform_.RegisterForm(MainForm());
    FormDef dialog{.name = std::string(kDialog), .outerWidth = 200, .outerHeight = 120};
    dialog.controls.push_back(Control("确定", ControlKind::Button, 8, 8, 64, 24, "确定"));
    platform_.RegisterForm(dialog);
    if (!platform_.LoadWindow(kMain)) {
      GTEST_SKIP() << "no window can be made: Wine needs an X display (KALVOR_WINE_DISPLAY)";
    }
  }

  HWND Hwnd(std::string_view control) {
    return reinterpret_cast<HWND>(
        static_cast<std::intptr_t>(platform_.GetWindowHandle(kMain, control)));
  }

  // Records every event of the main window's controls as "control:event".
  void RecordEvents() {
    for (const ControlDef& def : MainForm().controls) {
      for (int code : {event::kClick, event::kLeftDown, event::kRightDown}) {
        platform_.BindHandler(kMain, def.name, code, [this](const EventArgs& e) {
          events_.push_back(e.control + ":" + std::to_string(e.event));
        });
      }
    }
  }

  // A click as the user makes it: the pointer moved over the control, the button pressed and
  // released through the system's input queue.
  void ClickAt(HWND hwnd, POINT point, bool right = false) {
    SetForegroundWindow(GetAncestor(hwnd, GA_ROOT));
    ClientToScreen(hwnd, &point);
    SetCursorPos(point.x, point.y);
    Pump(100);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
  }

  void ClickCentre(HWND hwnd, bool right = false) {
    RECT rect;
    GetClientRect(hwnd, &rect);
    ClickAt(hwnd, POINT{rect.right / 2, rect.bottom / 2}, right);
  }

  Win32Platform platform_{GetModuleHandleW(nullptr)};
  std::vector<std::string> events_;
};

TEST_F(Win32PlatformTest, ControlsStandWhereTheFormPutsThemWithTheirCaptions) {
  const UINT dpi = Win32Dpi::ForWindow(Hwnd(kMain));
  for (const ControlDef& def : MainForm().controls) {
    SCOPED_TRACE(def.name);
    const HWND hwnd = Hwnd(def.name);
    if (def.kind == ControlKind::ArchiveUnit || def.kind == ControlKind::FileDialog) {
      EXPECT_EQ(hwnd, nullptr);
      continue;
    }
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(platform_.GetInt(kMain, def.name, Prop::Left), def.x);
    EXPECT_EQ(platform_.GetInt(kMain, def.name, Prop::Width), def.w);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, Win32Dpi::Scale(def.x, dpi));
    EXPECT_EQ(rect.top, Win32Dpi::Scale(def.y, dpi));
    EXPECT_EQ(rect.right - rect.left, Win32Dpi::Scale(def.w, dpi));
    if (!def.caption.empty() && def.kind != ControlKind::PictureBox) {
      wchar_t text[128] = {};
      GetWindowTextW(def.kind == ControlKind::ComboEdit ? hwnd : hwnd, text, 128);
      EXPECT_EQ(Narrow(text), def.caption);
    }
  }
  wchar_t title[64] = {};
  GetWindowTextW(Hwnd(kMain), title, 64);
  EXPECT_EQ(Narrow(title), "音效助手");
  EXPECT_EQ(platform_.GetInt(kMain, kMain, Prop::Width), 420);
  RECT client;
  GetClientRect(Hwnd(kMain), &client);
  const SIZE frame = Win32Dpi::FrameSize(GetWindowLongW(Hwnd(kMain), GWL_STYLE),
                                         GetWindowLongW(Hwnd(kMain), GWL_EXSTYLE), 96);
  EXPECT_EQ(client.right, Win32Dpi::Scale(420 - frame.cx, dpi));

  // Tab moves through the controls in the form's order; a control lies above an earlier one it
  // overlaps.
  EXPECT_EQ(GetNextDlgTabItem(Hwnd(kMain), Hwnd("按钮"), FALSE), Hwnd("窄按钮"));
  HWND below = Hwnd("图片框");
  while (below != nullptr && below != Hwnd("编辑框")) below = GetWindow(below, GW_HWNDNEXT);
  EXPECT_NE(below, nullptr);

  // Held controls sit inside their container; a tab page's controls show on their page only.
  EXPECT_EQ(GetParent(Hwnd("组内标签")), Hwnd("分组框"));
  EXPECT_EQ(GetParent(Hwnd("页二按钮")), Hwnd("选择夹"));
  EXPECT_TRUE(IsWindowVisible(Hwnd("页一按钮")));
  EXPECT_FALSE(IsWindowVisible(Hwnd("页二按钮")));

  // The tab control's captions in the form's font; other controls in the message font.
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd("选择夹"), WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_EQ(Narrow(font.lfFaceName), "宋体");
  EXPECT_EQ(font.lfHeight, -Win32Dpi::Scale(12, dpi));
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd("按钮"), WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(Win32Dpi::MessageFont(dpi).lfFaceName));
  EXPECT_EQ(font.lfWidth, 0);
  // A caption wider than its button is drawn condensed.
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd("窄按钮"), WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_GT(font.lfWidth, 0);
}

// Moved to a monitor of 150 %, the window, its controls and fonts grow with it; properties stay
// in form pixels.
TEST_F(Win32PlatformTest, AnotherMonitorsDpiScalesTheWindowAndKeepsFormPixels) {
  RECT suggested{100, 100, 200, 200};
  SendMessageW(Hwnd(kMain), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT button;
  GetWindowRect(Hwnd("按钮"), &button);
  EXPECT_EQ(button.right - button.left, 144);
  EXPECT_EQ(platform_.GetInt(kMain, "按钮", Prop::Width), 96);
  platform_.SetInt(kMain, "按钮", Prop::Left, 20);
  GetWindowRect(Hwnd("按钮"), &button);
  MapWindowPoints(nullptr, Hwnd(kMain), reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(button.left, 30);
  EXPECT_EQ(platform_.GetInt(kMain, "按钮", Prop::Left), 20);
  EXPECT_EQ(platform_.GetInt(kMain, kMain, Prop::Width), 420);

  RECT client;
  GetClientRect(Hwnd(kMain), &client);
  const SIZE frame = Win32Dpi::FrameSize(GetWindowLongW(Hwnd(kMain), GWL_STYLE),
                                         GetWindowLongW(Hwnd(kMain), GWL_EXSTYLE), 96);
  EXPECT_EQ(client.right, Win32Dpi::Scale(420 - frame.cx, 144));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd("选择夹"), WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_EQ(font.lfHeight, -18);
}

TEST_F(Win32PlatformTest, PropertyWritesReadBackAndRaiseNoEvent) {
  RecordEvents();
  platform_.BindHandler(kMain, "列表", event::kSelected,
                        [this](const EventArgs&) { events_.push_back("列表:selected"); });
  platform_.BindHandler(kMain, "滑块", event::kMoved,
                        [this](const EventArgs&) { events_.push_back("滑块:moved"); });

  platform_.SetInt(kMain, "选择框", Prop::Checked, 1);
  platform_.SetInt(kMain, "列表", Prop::ListIndex, 99);  // clamped to the last item
  platform_.SetInt(kMain, "滑块", Prop::Position, 500);  // clamped to the range
  platform_.SetText(kMain, "组合编辑框", Prop::Text, "F9");
  platform_.SetText(kMain, "按钮", Prop::Caption, "停止播放");
  platform_.SetInt(kMain, "按钮", Prop::Left, 20);
  EXPECT_EQ(platform_.AddComboItem(kMain, "列表", "蓝牙"), 2);
  Pump(200);
  EXPECT_TRUE(events_.empty()) << events_.front();

  EXPECT_EQ(platform_.GetInt(kMain, "选择框", Prop::Checked), 1);
  EXPECT_EQ(platform_.GetInt(kMain, "列表", Prop::ListIndex), 1);
  EXPECT_EQ(platform_.GetText(kMain, "列表", Prop::Text), "耳机");
  EXPECT_EQ(platform_.GetInt(kMain, "滑块", Prop::Position), 100);
  EXPECT_EQ(platform_.GetText(kMain, "组合编辑框", Prop::Text), "F9");
  EXPECT_EQ(platform_.GetText(kMain, "按钮", Prop::Caption), "停止播放");
  EXPECT_EQ(platform_.GetInt(kMain, "按钮", Prop::Left), 20);

  // The window itself: on top of other programs' windows, and its caption.
  platform_.SetInt(kMain, kMain, Prop::TopMost, 1);
  EXPECT_NE(GetWindowLongW(Hwnd(kMain), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  platform_.SetInt(kMain, kMain, Prop::TopMost, 0);
  EXPECT_EQ(GetWindowLongW(Hwnd(kMain), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  platform_.SetText(kMain, kMain, Prop::Caption, "置顶");
  wchar_t title[16] = {};
  GetWindowTextW(Hwnd(kMain), title, 16);
  EXPECT_EQ(Narrow(title), "置顶");

  // A text that names no item of a drop-down list leaves the pick alone and reads back without it.
  platform_.SetInt(kMain, "列表", Prop::ListIndex, -1);
  platform_.SetText(kMain, "列表", Prop::Text, "没有的设备");
  EXPECT_EQ(platform_.GetInt(kMain, "列表", Prop::ListIndex), -1);
  EXPECT_EQ(platform_.GetText(kMain, "列表", Prop::Text), "没有的设备");
  platform_.SetText(kMain, "列表", Prop::Text, "蓝牙");
  EXPECT_EQ(platform_.GetInt(kMain, "列表", Prop::ListIndex), 2);
}

TEST_F(Win32PlatformTest, RealClicksRaiseMouseAndClickEventsAndTurnTabPages) {
  RecordEvents();
  ClickCentre(Hwnd("按钮"));
  ASSERT_TRUE(PumpUntil([this] { return events_.size() >= 2; })) << events_.size();
  // Labels and pictures take the mouse as well; a right click is no click.
  for (std::string_view control : {"标签", "图片框", "按钮"}) {
    const std::size_t before = events_.size();
    ClickCentre(Hwnd(control), control == "按钮");
    EXPECT_TRUE(PumpUntil([&] { return events_.size() > before; })) << control;
  }
  Pump(100);
  EXPECT_EQ(events_,
            (std::vector<std::string>{"按钮:-1", "按钮:0", "标签:-1", "图片框:-1", "按钮:-4"}));

  // A click on the second page's tab shows what the page holds.
  RECT tab{};
  SendMessageW(Hwnd("选择夹"), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
  ClickAt(Hwnd("选择夹"), POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
  EXPECT_TRUE(PumpUntil([this] { return IsWindowVisible(Hwnd("页二按钮")) != FALSE; }));
  EXPECT_FALSE(IsWindowVisible(Hwnd("页一按钮")));
}

TEST_F(Win32PlatformTest, ModalWindowHoldsTheOthersUntilItIsGone) {
  std::vector<std::string> order;
  bool mainEnabled = true;
  platform_.BindHandler(kDialog, kDialog, event::kCreated, [&](const EventArgs&) {
    order.push_back("created");
    mainEnabled = IsWindowEnabled(Hwnd(kMain)) != FALSE;
    platform_.UnloadWindow(kDialog);
    // The destruction waits for this handler.
    order.push_back(platform_.IsWindowLoaded(kDialog) ? "still loaded" : "gone");
  });
  platform_.BindHandler(kDialog, kDialog, event::kDestroyed, [&](const EventArgs&) {
    order.push_back(platform_.IsWindowLoaded(kDialog) ? "destroyed while loaded" : "destroyed");
  });
  ASSERT_TRUE(platform_.LoadWindow(kDialog, true));
  EXPECT_EQ(order, (std::vector<std::string>{"created", "still loaded", "destroyed while loaded"}));
  EXPECT_FALSE(mainEnabled);
  EXPECT_FALSE(platform_.IsWindowLoaded(kDialog));
  EXPECT_TRUE(IsWindowEnabled(Hwnd(kMain)));
}

TEST_F(Win32PlatformTest, CloseBoxAsksThenTheLoopEndsWithTheLastWindow) {
  std::vector<int> events;
  for (int code : {event::kCreated, event::kCloseRequest, event::kDestroyed}) {
    platform_.BindHandler(kMain, kMain, code,
                          [&events](const EventArgs& e) { events.push_back(e.event); });
  }
  bool cleanedUp = false;
  platform_.SetExitCleanup([&] { cleanedUp = true; });
  // A loaded window comes forward without a second created event.
  EXPECT_TRUE(platform_.LoadWindow(kMain));
  PostMessageW(Hwnd(kMain), WM_CLOSE, 0, 0);
  EXPECT_EQ(platform_.RunEventLoop(), 0);
  EXPECT_EQ(events, (std::vector<int>{event::kCloseRequest, event::kDestroyed}));
  EXPECT_FALSE(platform_.IsWindowLoaded(kMain));
  EXPECT_TRUE(cleanedUp);
}

// F1..F10 go through the process's hotkey service: a press reaches the receiver label's feedback
// event, and the command line's press of the same key does too.
TEST_F(Win32PlatformTest, HotkeyPressesReachTheReceiverLabel) {
  std::vector<std::int32_t> fed;
  platform_.BindHandler(kMain, "标签", event::kFeedback,
                        [&fed](const EventArgs& e) { fed.push_back(e.first); });
  const std::int32_t id = platform_.RegisterGlobalHotkey(
      platform_.GetWindowHandle(kMain, kMain), platform_.GetWindowHandle(kMain, "标签"), 0, VK_F9);
  ASSERT_GT(id, GlobalHotkeyService::kIdBase);
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_F9;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  EXPECT_TRUE(PumpUntil([&fed] { return !fed.empty(); }));
  EXPECT_TRUE(HotkeyService().PressKey(VK_F9));
  EXPECT_EQ(fed, (std::vector<std::int32_t>{id, id}));
  EXPECT_TRUE(platform_.UnregisterGlobalHotkey(platform_.GetWindowHandle(kMain, kMain), id));
}

// A message box runs a loop of its own: hotkeys still arrive while it is open, and the answer is
// the button pressed (No 6); a box without a title is titled "信息：".
TEST_F(Win32PlatformTest, MessageBoxAnswersWhileHotkeysKeepArriving) {
  int fed = 0;
  platform_.BindHandler(kMain, "标签", event::kFeedback, [&fed](const EventArgs&) { ++fed; });
  const std::int32_t host = platform_.GetWindowHandle(kMain, kMain);
  const std::int32_t id =
      platform_.RegisterGlobalHotkey(host, platform_.GetWindowHandle(kMain, "标签"), 0, VK_F9);
  ASSERT_GT(id, GlobalHotkeyService::kIdBase);
  static int ticks;
  ticks = 0;
  // Once the box shows: F9 pressed, then the box answered No.
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", L"信息：");
    if (box == nullptr) return;
    if (++ticks == 1) {
      INPUT keys[2] = {};
      keys[0].type = keys[1].type = INPUT_KEYBOARD;
      keys[0].ki.wVk = keys[1].ki.wVk = VK_F9;
      keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, keys, sizeof(INPUT));
    } else {
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    }
  });
  EXPECT_EQ(platform_.ShowMessageBox("清除所有快捷键？", 4), 6);
  KillTimer(nullptr, timer);
  EXPECT_EQ(fed, 1);
  EXPECT_TRUE(platform_.UnregisterGlobalHotkey(host, id));
}

// The open-file dialog hands back the chosen file's full path in UTF-8, and the program's current
// folder stays where it was.
TEST_F(Win32PlatformTest, FileDialogGivesTheChosenPath) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  static std::wstring chosen;
  chosen = std::wstring(temp) + L"掌声 1.mp3";
  CloseHandle(CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  // Once the dialog shows, the file's path is typed into its name field and confirmed.
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowW(L"#32770", nullptr);
    if (dialog == nullptr || !IsWindowVisible(dialog)) return;
    HWND name = GetDlgItem(dialog, cmb13);
    if (name == nullptr) name = GetDlgItem(dialog, edt1);
    SetWindowTextW(name, chosen.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(platform_.RunFileDialog(kMain, "文件对话框"));
  KillTimer(nullptr, timer);
  EXPECT_EQ(platform_.GetText(kMain, "文件对话框", Prop::FileName), Narrow(chosen));
  wchar_t after[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_EQ(std::wstring(after), std::wstring(before));
  DeleteFileW(chosen.c_str());
}

}  // namespace
}  // namespace kalvor
