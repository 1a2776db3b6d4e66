// Events on real widgets driven by real mouse and key input, and the life of windows: the
// created event, deferred destruction, the close box and modal windows.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <vector>

#include "tests/platform/qt/qt_test_support.h"

namespace kalvor::test {
namespace {

constexpr const char* kW = "Board";

FormDef BoardForm() {
  FormDef form = Form(kW, 300, 200);
  auto& c = form.controls;
  c.push_back(Control("按钮1", ControlKind::Button, 10, 10, 80, 30, "欢呼掌声"));
  c.push_back(Control("标签1", ControlKind::Label, 10, 50, 120, 20, "状态"));
  c.push_back(Control("选择框1", ControlKind::CheckBox, 10, 80, 100, 20, "热键开关"));
  ControlDef list = Control("组合框1", ControlKind::ComboList, 10, 110, 120, 22);
  list.items = {"甲", "乙", "丙"};
  c.push_back(list);
  ControlDef slider = Control("滑块条1", ControlKind::Slider, 140, 110, 128, 20);
  slider.maximum = 100;
  slider.position = 50;
  c.push_back(slider);
  return form;
}

class QtEventTest : public QtPlatformTest {
 protected:
  void SetUp() override {
    QtPlatformTest::SetUp();
    P().RegisterForm(BoardForm());
  }
  void Load() {
    ASSERT_TRUE(P().LoadWindow(kW));
    Settle();
  }
};

TEST_F(QtEventTest, MouseInputRaisesTheControlsEventsOnly) {
  int& clicks = Count(kW, "按钮1", event::kClick);
  int& buttonDown = Count(kW, "按钮1", event::kLeftDown);
  int& buttonRight = Count(kW, "按钮1", event::kRightDown);
  int& labelDown = Count(kW, "标签1", event::kLeftDown);
  int& labelMoves = Count(kW, "标签1", event::kMouseMove);
  int& windowDown = Count(kW, kW, event::kLeftDown);
  int& windowMoves = Count(kW, kW, event::kMouseMove);
  Load();

  QWidget* button = Widget(kW, "按钮1");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(buttonDown, 1);
  QTest::mouseClick(button, Qt::RightButton);
  EXPECT_EQ(buttonRight, 1);
  EXPECT_EQ(clicks, 1) << "a right click is no click";

  // A label takes no press itself; the press is still the label's, not the window's.
  QWidget* label = Widget(kW, "标签1");
  QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(labelDown, 1);
  EXPECT_EQ(windowDown, 0);

  // (The press above already moved the mouse onto the label.)
  const int labelMovesBefore = labelMoves;
  QTest::mouseMove(label, QPoint(3, 3));
  QTest::mouseMove(label, QPoint(6, 4));
  QTest::mouseMove(label, QPoint(9, 5));
  EXPECT_EQ(labelMoves, labelMovesBefore + 3) << "every move counts";
  const int windowMovesBefore = windowMoves;
  QTest::mouseMove(Widget(kW, kW), QPoint(250, 180));
  EXPECT_EQ(windowMoves, windowMovesBefore + 1);
  EXPECT_EQ(labelMoves, labelMovesBefore + 3);
}

TEST_F(QtEventTest, UserChoicesRaiseEventZero) {
  int& picked = Count(kW, "组合框1", event::kSelected);
  int& moved = Count(kW, "滑块条1", event::kMoved);
  int& ticked = Count(kW, "选择框1", event::kClick);
  Load();

  auto* combo = WidgetAs<QComboBox>(kW, "组合框1");
  P().SetInt(kW, "组合框1", Prop::ListIndex, 0);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(picked, 1);
  EXPECT_EQ(P().GetInt(kW, "组合框1", Prop::ListIndex), 1);

  // Picking from the drop-down list with the mouse.
  combo->showPopup();
  Settle();
  QAbstractItemView* view = combo->view();
  const QRect item = view->visualRect(combo->model()->index(2, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
  Settle();
  EXPECT_EQ(picked, 2);
  EXPECT_EQ(P().GetText(kW, "组合框1", Prop::Text), "丙");

  auto* slider = WidgetAs<QSlider>(kW, "滑块条1");
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(P().GetInt(kW, "滑块条1", Prop::Position), 51);

  QTest::mouseClick(Widget(kW, "选择框1"), Qt::LeftButton, {}, QPoint(8, 10));
  EXPECT_EQ(ticked, 1);
  EXPECT_EQ(P().GetInt(kW, "选择框1", Prop::Checked), 1);
}

TEST_F(QtEventTest, CreatedRunsOnceInsideLoadBeforeTheWindowShows) {
  int created = 0;
  bool visibleDuringCreated = true;
  P().BindHandler(kW, kW, event::kCreated, [&](const EventArgs& args) {
    ++created;
    EXPECT_EQ(args.window, kW);
    visibleDuringCreated = Widget(kW, kW)->isVisible();
    P().SetText(kW, "标签1", Prop::Caption, "已创建");
  });
  ASSERT_TRUE(P().LoadWindow(kW));
  EXPECT_EQ(created, 1);
  EXPECT_FALSE(visibleDuringCreated);
  EXPECT_TRUE(Widget(kW, kW)->isVisible());

  QWidget* window = Widget(kW, kW);
  window->showMinimized();
  Settle();
  ASSERT_TRUE(P().LoadWindow(kW, true)) << "loaded: the modal flag is not looked at";
  EXPECT_EQ(created, 1);
  EXPECT_FALSE(window->isMinimized());
  EXPECT_EQ(Widget(kW, kW), window) << "no second window";
}

TEST_F(QtEventTest, UnloadWaitsForTheRunningHandler) {
  std::vector<std::string> steps;
  QPointer<QWidget> button;
  P().BindHandler(kW, "按钮1", event::kClick, [&](const EventArgs&) {
    steps.push_back("click");
    P().UnloadWindow(kW);
    steps.push_back(P().IsWindowLoaded(kW) ? "still loaded" : "gone");
    // A nested loop (as a message box runs) lets the destruction happen, but the widget this
    // handler runs for stays until the handler has returned.
    QEventLoop nested;
    QTimer::singleShot(20, &nested, &QEventLoop::quit);
    nested.exec();
    steps.push_back(button ? "button alive" : "button deleted");
    steps.push_back("end");
  });
  P().BindHandler(kW, kW, event::kDestroyed, [&](const EventArgs&) {
    steps.push_back("destroyed");
    EXPECT_TRUE(P().IsWindowLoaded(kW)) << "the window is loaded while its destroyed event runs";
    EXPECT_NE(P().GetWindowHandle(kW, kW), 0);
  });
  Load();
  button = Widget(kW, "按钮1");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(steps, (std::vector<std::string>{"click", "still loaded", "destroyed", "button alive",
                                             "end"}));
  EXPECT_FALSE(P().IsWindowLoaded(kW));
  Settle();
  EXPECT_TRUE(button.isNull());
}

TEST_F(QtEventTest, UnloadInAHandlerDestroysAfterItReturns) {
  std::vector<std::string> steps;
  P().BindHandler(kW, "按钮1", event::kClick, [&](const EventArgs&) {
    P().UnloadWindow(kW);
    P().UnloadWindow(kW);  // asked twice, destroyed once
    steps.push_back(P().IsWindowLoaded(kW) ? "end of click" : "destroyed too early");
  });
  P().BindHandler(kW, kW, event::kDestroyed,
                  [&](const EventArgs&) { steps.push_back("destroyed"); });
  Load();
  QTest::mouseClick(Widget(kW, "按钮1"), Qt::LeftButton);
  Settle();
  EXPECT_EQ(steps, (std::vector<std::string>{"end of click", "destroyed"}));
  EXPECT_FALSE(P().IsWindowLoaded(kW));
  EXPECT_EQ(P().GetWindowHandle(kW, "按钮1"), 0);
}

TEST_F(QtEventTest, CloseBoxDestroysTheWindow) {
  std::vector<std::string> steps;
  P().BindHandler(kW, kW, event::kCloseRequest,
                  [&](const EventArgs&) { steps.push_back("close"); });
  P().BindHandler(kW, kW, event::kDestroyed,
                  [&](const EventArgs&) { steps.push_back("destroyed"); });
  Load();
  Widget(kW, kW)->close();
  Settle();
  EXPECT_EQ(steps, (std::vector<std::string>{"close", "destroyed"}));
  EXPECT_FALSE(P().IsWindowLoaded(kW));

  // Without a close handler, as the system binds none.
  P().BindHandler(kW, kW, event::kCloseRequest, nullptr);
  Load();
  Widget(kW, kW)->close();
  Settle();
  EXPECT_FALSE(P().IsWindowLoaded(kW));
}

TEST_F(QtEventTest, ModalLoadReturnsAfterDestructionAndBlocksOtherWindows) {
  int& clicks = Count(kW, "按钮1", event::kClick);
  FormDef ads = Form("AdsWindow", 445, 382);
  ads.controls.push_back(Control("分组框3", ControlKind::GroupBox, 8, 8, 424, 336, "广告区"));
  P().RegisterForm(ads);
  int adsCreated = 0;
  P().BindHandler("AdsWindow", "AdsWindow", event::kCreated,
                  [&](const EventArgs&) { ++adsCreated; });
  Load();
  QWidget* button = Widget(kW, "按钮1");

  bool returned = false;
  bool checked = false;
  QTimer::singleShot(30, [&] {
    EXPECT_TRUE(P().IsWindowLoaded("AdsWindow"));
    EXPECT_FALSE(returned);
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 0) << "the main window takes no input while the modal one is open";
    checked = true;
    P().UnloadWindow("AdsWindow");
  });
  EXPECT_TRUE(P().LoadWindow("AdsWindow", true));
  returned = true;
  EXPECT_TRUE(checked);
  EXPECT_EQ(adsCreated, 1);
  EXPECT_FALSE(P().IsWindowLoaded("AdsWindow"));
  Settle();
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1) << "input works again";
}

TEST_F(QtEventTest, FeedbackReachesOnlyALiveLabel) {
  std::vector<std::pair<int, int>> feedback;
  P().BindHandler(kW, "标签1", event::kFeedback,
                  [&](const EventArgs& args) { feedback.emplace_back(args.first, args.second); });
  int& clicks = Count(kW, "按钮1", event::kClick);
  Load();
  const std::int32_t label = P().GetWindowHandle(kW, "标签1");
  P().RaiseFeedback(label, 33003, 0);
  EXPECT_EQ(feedback, (std::vector<std::pair<int, int>>{{33003, 0}}));
  P().RaiseFeedback(P().GetWindowHandle(kW, "按钮1"), 33004, 0);
  P().RaiseFeedback(0, 33005, 0);
  EXPECT_EQ(feedback.size(), 1u);
  EXPECT_EQ(clicks, 0);
  P().UnloadWindow(kW);
  Settle();
  P().RaiseFeedback(label, 33006, 0);
  EXPECT_EQ(feedback.size(), 1u);
}

}  // namespace
}  // namespace kalvor::test
