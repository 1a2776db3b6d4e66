// The board on a real X server with a window manager (Xvfb and openbox, Qt's xcb platform),
// driven with real mouse and keyboard input through xdotool. The focus moves as it does for a
// user, so what a control does when it loses the focus is part of what is tested, and the title
// bars are read as the window manager shows them.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <cstdlib>
#include <optional>

#include "board/ads_window_form.h"
#include "board/custom_sound_dialog_form.h"
#include "board/hotkey_dialog_form.h"
#include "board/main_window_form.h"
#include "platform/core/platform_seam.h"
#include "tests/board/board_fixture.h"
#include "tests/support/qt_wait_until.h"
#include "tests/support/x_server.h"

namespace kalvor::test {
namespace {

using Dialog = HotkeyDialogForm;
constexpr std::string_view kMain = MainWindowForm::kName;

class BoardOnX11Test : public BoardTest {
 protected:
  void SetUp() override {
    KALVOR_NEED_DESKTOP();
    BoardTest::SetUp();
    set_up_ = true;
  }
  void TearDown() override {
    if (set_up_) BoardTest::TearDown();
  }

  // Waits until the window manager has framed and placed the window and Qt knows where it is.
  static void WaitUntilPlaced(QWidget* window) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QPoint last(-1, -1);
    int steady = 0;
    ProcessEventsUntil([&] {
      const QPoint now = window->mapToGlobal(QPoint(0, 0));
      steady = now == last ? steady + 1 : 0;
      last = now;
      return steady >= 5;
    });
  }

  // Moves the pointer to a point of the widget and clicks there with the button (1 left, 3 right).
  static void ClickAt(QWidget* widget, QPoint at, int button = 1) {
    const QPoint global = widget->mapToGlobal(at);
    ASSERT_TRUE(XServer::SharedDesktop()->Xdotool("mousemove --sync " + std::to_string(global.x()) +
                                                  " " + std::to_string(global.y()) + " click " +
                                                  std::to_string(button)));
    Settle();
  }
  static void Click(QWidget* widget, int button = 1) {
    ClickAt(widget, widget->rect().center(), button);
  }
  // Keys pressed in turn ("ctrl+a"), or text typed.
  static void Keys(const std::string& keys) {
    ASSERT_TRUE(XServer::SharedDesktop()->Xdotool("key --delay 50 " + keys));
    Settle();
  }
  static void Type(const std::string& text) {
    ASSERT_TRUE(XServer::SharedDesktop()->Xdotool("type --delay 50 " + text));
    Settle();
  }

  // Right-clicks a sound button of the first page and waits for the hotkey dialog.
  QComboBox* OpenHotkeyDialogFor(std::string_view button) {
    Click(Widget(kMain, button), 3);
    EXPECT_TRUE(ProcessEventsUntil([] { return Platform().IsWindowLoaded(Dialog::kName); }));
    QWidget* dialog = Widget(Dialog::kName, Dialog::kName);
    if (dialog == nullptr) return nullptr;
    WaitUntilPlaced(dialog);
    return qobject_cast<QComboBox*>(Widget(Dialog::kName, Dialog::kKeyList));
  }

 private:
  bool set_up_ = false;
};

TEST_F(BoardOnX11Test, ATypedKeyIsStoredAsTypedAndOnlyAPickIsChecked) {
  WriteSetting("data", "kjj", "2");
  WriteSetting("ed", "5", "F3");  // 尖叫声 carries F3
  WriteSetting("ed", "3", "F7");  // 欢呼掌声 carries F7
  WriteSetting("dat", "F7", "欢呼掌声");
  StartBoard();
  WaitUntilPlaced(Widget(kMain, kMain));

  // Typed into the edit field: neither Return nor leaving the field for "确定" is a pick, so
  // nothing is refused.
  QComboBox* keys = OpenHotkeyDialogFor("音效按钮3");
  ASSERT_NE(keys, nullptr);
  Click(keys->lineEdit());
  Keys("ctrl+a");  // the field shows F7
  Type("f3");
  Keys("Return");
  Click(Widget(Dialog::kName, Dialog::kConfirm));
  ASSERT_TRUE(ProcessEventsUntil([] { return !Platform().IsWindowLoaded(Dialog::kName); }));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
  EXPECT_EQ(ReadSetting("ed", "3"), "f3");
  EXPECT_EQ(ReadSetting("dat", "f3"), "欢呼掌声");
  EXPECT_EQ(ReadSetting("dat", "F7"), "空");

  // Picked from the open list: F3 is 尖叫声's, so it is refused.
  PlatformSeam::Instance().Reset();
  keys = OpenHotkeyDialogFor("音效按钮3");
  ASSERT_NE(keys, nullptr);
  ClickAt(keys, QPoint(keys->width() - 6, keys->height() / 2));  // the arrow
  ASSERT_TRUE(ProcessEventsUntil([&] { return keys->view()->isVisible(); }));
  WaitUntilPlaced(keys->view()->window());
  QAbstractItemView* list = keys->view();
  ClickAt(list->viewport(), list->visualRect(keys->model()->index(3, 0)).center());
  ASSERT_TRUE(ProcessEventsUntil([] { return !MessageTexts().empty(); }));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"快捷键选择被占用"});
  EXPECT_EQ(keys->currentText().toStdString(), Dialog::kNoKeyItem);
  EXPECT_EQ(ReadSetting("ed", "3"), "f3");
}

// The title bar of a window as the window manager shows it, and the name the window gives itself;
// nullopt for a property the window does not have.
struct Titles {
  std::optional<std::string> shown;  // _NET_WM_VISIBLE_NAME, set by the window manager
  std::optional<std::string> name;   // _NET_WM_NAME
};

std::optional<std::string> TextProperty(xcb_connection_t* c, xcb_window_t window,
                                        const std::string& name) {
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
  std::optional<std::string> text;
  if (atom != nullptr) {
    xcb_get_property_reply_t* value = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (value != nullptr && value->type != XCB_ATOM_NONE) {
      text = std::string(static_cast<const char*>(xcb_get_property_value(value)),
                         static_cast<std::size_t>(xcb_get_property_value_length(value)));
    }
    std::free(value);
  }
  std::free(atom);
  return text;
}

Titles ReadTitles(xcb_window_t window) {
  xcb_connection_t* c = xcb_connect(XServer::SharedDesktop()->Display().c_str(), nullptr);
  Titles titles{TextProperty(c, window, "_NET_WM_VISIBLE_NAME"),
                TextProperty(c, window, "_NET_WM_NAME")};
  xcb_disconnect(c);
  return titles;
}

TEST_F(BoardOnX11Test, WindowsWithoutCaptionHaveEmptyTitleBars) {
  WriteSetting("data", "kjj", "2");
  StartBoard();
  P().LoadWindow(Dialog::kName);
  P().LoadWindow(CustomSoundDialogForm::kName);
  P().LoadWindow(AdsWindowForm::kName);  // modal when a button opens it; its title is the same
  const std::pair<std::string_view, std::string> windows[] = {
      {kMain, "Kalvor音效助手"},
      {Dialog::kName, "快捷键设置窗口"},
      {CustomSoundDialogForm::kName, ""},
      {AdsWindowForm::kName, ""},
  };
  for (const auto& [window, caption] : windows) {
    SCOPED_TRACE(window);
    QWidget* widget = Widget(window, window);
    ASSERT_NE(widget, nullptr);
    WaitUntilPlaced(widget);
    const auto id = static_cast<xcb_window_t>(widget->winId());
    Titles titles;
    ProcessEventsUntil([&] { return (titles = ReadTitles(id)).shown.has_value(); });
    EXPECT_EQ(titles.shown, caption);
    EXPECT_EQ(titles.name, caption);
  }
}

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests at build time needs no screen.
  if (!GTEST_FLAG_GET(list_tests) && kalvor::test::XServer::SharedDesktop() != nullptr) {
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  return kalvor::test::RunBoardTests(argc, argv);
}
