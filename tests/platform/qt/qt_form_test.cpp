// Windows built from form tables on the real widgets: kinds, geometry, nesting, fonts; and the
// property rules (clamping, the tested value 1, no events on writes).
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include "platform/qt/qt_picture_box.h"
#include "tests/platform/qt/qt_test_support.h"

namespace kalvor::test {
namespace {

constexpr const char* kW = "AllKinds";

FormDef AllKindsForm() {
  FormDef form = Form(kW, 414, 545);
  form.caption = "Kalvor音效助手";
  auto& c = form.controls;
  c.push_back(Control("图片框1", ControlKind::PictureBox, -8, -24, 424, 152));
  ControlDef tab = Control("选择夹1", ControlKind::TabControl, -8, 126, 424, 191);
  tab.items = {"主持专用", "喊麦专用"};
  tab.font = {"宋体", 12, 400, 134};
  c.push_back(tab);
  c.push_back(Control("音效按钮1", ControlKind::Button, 16, 32, 72, 32, "多人笑声", "选择夹1", 1));
  c.push_back(Control("音效按钮17", ControlKind::Button, 16, 32, 72, 32, "欢呼掌声", "选择夹1", 2));
  c.push_back(Control("分组框2", ControlKind::GroupBox, -8, 310, 424, 32));
  c.push_back(Control("标签1", ControlKind::Label, 16, 9, 48, 16, "音量调节", "分组框2"));
  ControlDef slider = Control("滑块条1", ControlKind::Slider, 72, 8, 128, 20, "", "分组框2");
  slider.maximum = 100;
  slider.position = 50;
  slider.pageStep = 5;
  c.push_back(slider);
  c.push_back(Control("选择框1", ControlKind::CheckBox, 232, 10, 72, 16, "热键开关", "分组框2"));
  ControlDef status = Control("标签2", ControlKind::Label, 304, 10, 112, 16, "", "分组框2");
  status.textColor = 0xFF0000;
  c.push_back(status);
  c.push_back(Control("透明标签2", ControlKind::TransparentLabel, 40, 345, 56, 16, "音频输出："));
  c.push_back(Control("组合框输出通道", ControlKind::ComboList, 96, 344, 264, 20));
  ControlDef keys = Control("组合框1", ControlKind::ComboEdit, 152, 8, 152, 20);
  keys.items = {"快捷键选择", "F1", "F2"};
  c.push_back(keys);
  ControlDef three = Control("组合框3", ControlKind::ComboList, 10, 400, 100, 20);
  three.items = {"甲", "乙", "丙"};
  c.push_back(three);
  c.push_back(Control("编辑框1", ControlKind::EditBox, 48, 16, 232, 24, "标题"));
  c.push_back(Control("分组框1", ControlKind::GroupBox, 448, 304, 136, 96, "广告区"));
  c.push_back(Control("超文本浏览框1", ControlKind::WebViewer, 16, 16, 104, 56,
                      "https://shop.example/", "分组框1"));
  c.push_back(Control("ZIP压缩1", ControlKind::ArchiveUnit, 0, 0, 0, 0));
  c.push_back(Control("通用对话框1", ControlKind::FileDialog, 0, 0, 0, 0));
  return form;
}

class QtFormTest : public QtPlatformTest {
 protected:
  void SetUp() override {
    QtPlatformTest::SetUp();
    P().RegisterForm(AllKindsForm());
    ASSERT_TRUE(P().LoadWindow(kW));
    Settle();
  }
  void ExpectGeometry(const char* control, int x, int y, int w, int h) {
    SCOPED_TRACE(control);
    EXPECT_EQ(P().GetInt(kW, control, Prop::Left), x);
    EXPECT_EQ(P().GetInt(kW, control, Prop::Top), y);
    EXPECT_EQ(P().GetInt(kW, control, Prop::Width), w);
    EXPECT_EQ(P().GetInt(kW, control, Prop::Height), h);
    QWidget* widget = Widget(kW, control);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), QRect(x, y, w, h));
  }
};

TEST_F(QtFormTest, EveryKindGetsItsWidgetAtTheFormsCoordinates) {
  QWidget* window = Widget(kW, kW);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Kalvor音效助手"));
  // The form's size is the outer size, frame included (the offscreen frame is 2 pixels wide).
  EXPECT_EQ(window->frameGeometry().size(), QSize(414, 545));
  EXPECT_LE(window->width(), 414);
  EXPECT_EQ(P().GetInt(kW, kW, Prop::Width), 414);
  EXPECT_EQ(P().GetInt(kW, kW, Prop::Height), 545);

  ExpectGeometry("图片框1", -8, -24, 424, 152);
  ExpectGeometry("选择夹1", -8, 126, 424, 191);
  ExpectGeometry("音效按钮1", 16, 32, 72, 32);
  ExpectGeometry("分组框2", -8, 310, 424, 32);
  ExpectGeometry("标签1", 16, 9, 48, 16);
  ExpectGeometry("滑块条1", 72, 8, 128, 20);
  ExpectGeometry("分组框1", 448, 304, 136, 96);
  ExpectGeometry("超文本浏览框1", 16, 16, 104, 56);

  auto* tab = WidgetAs<QTabWidget>(kW, "选择夹1");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->count(), 2);
  EXPECT_EQ(tab->tabText(1), QStringLiteral("喊麦专用"));
  // A button on a page counts from the tab control's own corner, header included.
  QWidget* button = Widget(kW, "音效按钮1");
  EXPECT_EQ(button->parentWidget(), tab);
  EXPECT_EQ(button->mapTo(window, QPoint(0, 0)), QPoint(-8 + 16, 126 + 32));
  EXPECT_GE(32, tab->tabBar()->height()) << "the header must not cover row 1";
  EXPECT_EQ(tab->childAt(20, 36), button) << "the button lies above the page";
  EXPECT_EQ(Widget(kW, "标签1")->mapTo(window, QPoint(0, 0)), QPoint(-8 + 16, 310 + 9));

  EXPECT_NE(WidgetAs<QPushButton>(kW, "音效按钮1"), nullptr);
  EXPECT_EQ(WidgetAs<QPushButton>(kW, "音效按钮1")->text(), QStringLiteral("多人笑声"));
  EXPECT_NE(WidgetAs<QLabel>(kW, "图片框1"), nullptr);
  EXPECT_EQ(WidgetAs<QLabel>(kW, "标签1")->text(), QStringLiteral("音量调节"));
  EXPECT_TRUE(WidgetAs<QLabel>(kW, "标签1")->autoFillBackground());
  EXPECT_FALSE(WidgetAs<QLabel>(kW, "透明标签2")->autoFillBackground());
  EXPECT_EQ(WidgetAs<QCheckBox>(kW, "选择框1")->text(), QStringLiteral("热键开关"));
  EXPECT_EQ(WidgetAs<QGroupBox>(kW, "分组框2")->title(), QString());
  EXPECT_EQ(WidgetAs<QGroupBox>(kW, "分组框1")->title(), QStringLiteral("广告区"));
  EXPECT_FALSE(WidgetAs<QComboBox>(kW, "组合框输出通道")->isEditable());
  EXPECT_TRUE(WidgetAs<QComboBox>(kW, "组合框1")->isEditable());
  EXPECT_EQ(WidgetAs<QComboBox>(kW, "组合框1")->count(), 3);
  EXPECT_EQ(WidgetAs<QLineEdit>(kW, "编辑框1")->text(), QStringLiteral("标题"));
  EXPECT_EQ(WidgetAs<QLabel>(kW, "超文本浏览框1")->text(), QStringLiteral("https://shop.example/"));
  auto* slider = WidgetAs<QSlider>(kW, "滑块条1");
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->orientation(), Qt::Horizontal);
  EXPECT_EQ(slider->maximum(), 100);
  EXPECT_EQ(slider->value(), 50);
  EXPECT_EQ(slider->pageStep(), 5);
  EXPECT_EQ(WidgetAs<QLabel>(kW, "标签2")->palette().color(QPalette::WindowText),
            QColor(0, 0, 255));
  // The form's font "宋体" comes out as an installed Chinese font on the page captions; controls
  // whose form names no font get the same 12-pixel font, the platform's default.
  for (const QFont& font : {tab->tabBar()->font(), button->font()}) {
    const QFontInfo shown(font);
    EXPECT_EQ(shown.family(), QStringLiteral("WenQuanYi Micro Hei"));
    EXPECT_EQ(shown.pixelSize(), 12);
  }
}

TEST_F(QtFormTest, HandlesAreNonzeroDistinctAndOnlyForWidgets) {
  const std::int32_t window = P().GetWindowHandle(kW, kW);
  const std::int32_t button = P().GetWindowHandle(kW, "音效按钮1");
  EXPECT_NE(window, 0);
  EXPECT_NE(button, 0);
  EXPECT_NE(window, button);
  EXPECT_EQ(P().GetWindowHandle(kW, "ZIP压缩1"), 0);
  EXPECT_EQ(P().GetWindowHandle(kW, "通用对话框1"), 0);
  EXPECT_EQ(P().GetWindowHandle(kW, "没有这个"), 0);
  EXPECT_EQ(P().GetWindowHandle("NotLoaded", "NotLoaded"), 0);
  EXPECT_EQ(P().GetWindowHandle(kW, "音效按钮1"), button) << "stable";

  P().UnloadWindow(kW);
  Settle();
  EXPECT_EQ(P().WidgetForHandle(button), nullptr);
  ASSERT_TRUE(P().LoadWindow(kW));
  EXPECT_NE(P().GetWindowHandle(kW, "音效按钮1"), button) << "never reused";
}

TEST_F(QtFormTest, TabChildrenShowOnlyWithTheirPage) {
  auto* tab = WidgetAs<QTabWidget>(kW, "选择夹1");
  QWidget* first = Widget(kW, "音效按钮1");
  QWidget* second = Widget(kW, "音效按钮17");
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(second->isVisible());
  QTest::mouseClick(tab->tabBar(), Qt::LeftButton, {}, tab->tabBar()->tabRect(1).center());
  EXPECT_EQ(tab->currentIndex(), 1);
  EXPECT_FALSE(first->isVisible());
  EXPECT_TRUE(second->isVisible());
  // The control's own visibility still counts on its page.
  P().SetInt(kW, "音效按钮17", Prop::Visible, 0);
  EXPECT_FALSE(second->isVisible());
  EXPECT_EQ(P().GetInt(kW, "音效按钮17", Prop::Visible), 0);
  P().SetInt(kW, "音效按钮17", Prop::Visible, 1);
  EXPECT_TRUE(second->isVisible());
}

TEST_F(QtFormTest, NumberWritesClampAndRaiseNoEvent) {
  int& picked = Count(kW, "组合框3", event::kSelected);
  int& pickedEmpty = Count(kW, "组合框输出通道", event::kSelected);
  int& moved = Count(kW, "滑块条1", event::kMoved);
  int& clicked = Count(kW, "选择框1", event::kClick);

  EXPECT_EQ(P().GetInt(kW, "组合框3", Prop::ListIndex), -1) << "the form selects nothing";
  P().SetInt(kW, "组合框3", Prop::ListIndex, 5);
  EXPECT_EQ(P().GetInt(kW, "组合框3", Prop::ListIndex), 2);
  EXPECT_EQ(P().GetText(kW, "组合框3", Prop::Text), "丙");
  P().SetInt(kW, "组合框3", Prop::ListIndex, -7);
  EXPECT_EQ(P().GetInt(kW, "组合框3", Prop::ListIndex), -1);
  P().SetInt(kW, "组合框输出通道", Prop::ListIndex, 5);
  EXPECT_EQ(P().GetInt(kW, "组合框输出通道", Prop::ListIndex), -1);

  P().SetInt(kW, "滑块条1", Prop::Position, 40000);
  EXPECT_EQ(P().GetInt(kW, "滑块条1", Prop::Position), 100);
  P().SetInt(kW, "滑块条1", Prop::Position, -3);
  EXPECT_EQ(P().GetInt(kW, "滑块条1", Prop::Position), 0);
  P().SetInt(kW, "滑块条1", Prop::Position, 42);
  EXPECT_EQ(P().GetInt(kW, "滑块条1", Prop::Position), 42);

  P().SetInt(kW, "选择框1", Prop::Checked, 1);
  EXPECT_EQ(P().GetInt(kW, "选择框1", Prop::Checked), 1);
  P().SetInt(kW, "选择框1", Prop::Checked, 2);
  EXPECT_EQ(P().GetInt(kW, "选择框1", Prop::Checked), 0) << "only 1 ticks";

  P().SetInt(kW, "音效按钮1", Prop::Disable, 5);
  EXPECT_EQ(P().GetInt(kW, "音效按钮1", Prop::Disable), 1);
  EXPECT_FALSE(Widget(kW, "音效按钮1")->isEnabled());
  P().SetInt(kW, "音效按钮1", Prop::Disable, 0);
  EXPECT_EQ(P().GetInt(kW, "音效按钮1", Prop::Disable), 0);

  Settle();
  EXPECT_EQ(picked, 0);
  EXPECT_EQ(pickedEmpty, 0);
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(clicked, 0);
}

TEST_F(QtFormTest, TopMostTakesOnlyOneAndKeepsGeometryAndVisibility) {
  QWidget* window = Widget(kW, kW);
  const QRect before = window->geometry();
  P().SetInt(kW, kW, Prop::TopMost, 1);
  EXPECT_EQ(P().GetInt(kW, kW, Prop::TopMost), 1);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  Settle();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->geometry(), before);
  P().SetInt(kW, kW, Prop::TopMost, 2);
  EXPECT_EQ(P().GetInt(kW, kW, Prop::TopMost), 0);
  EXPECT_FALSE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  Settle();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->geometry(), before);
}

TEST_F(QtFormTest, LeavingTheTopLayerKeepsOtherTopmostWindowsThere) {
  P().RegisterForm(Form("Other", 200, 100));
  ASSERT_TRUE(P().LoadWindow("Other"));
  P().SetInt("Other", "Other", Prop::TopMost, 1);
  P().SetInt(kW, kW, Prop::TopMost, 1);
  P().SetInt(kW, kW, Prop::TopMost, 0);
  EXPECT_TRUE(Widget("Other", "Other")->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(P().GetInt("Other", "Other", Prop::TopMost), 1);
  EXPECT_FALSE(Widget(kW, kW)->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(QtFormTest, TextsReadBackAsWritten) {
  P().SetText(kW, "音效按钮1", Prop::Caption, "自定义");
  EXPECT_EQ(P().GetText(kW, "音效按钮1", Prop::Caption), "自定义");
  EXPECT_EQ(WidgetAs<QPushButton>(kW, "音效按钮1")->text(), QStringLiteral("自定义"));

  P().SetText(kW, "标签1", Prop::Caption, "第一行\r\n第二行");
  EXPECT_EQ(WidgetAs<QLabel>(kW, "标签1")->text(), QStringLiteral("第一行\n第二行"));
  EXPECT_EQ(P().GetText(kW, "标签1", Prop::Caption), "第一行\r\n第二行");

  // Editable combo box: the edit field; selecting item 0 puts its text in the field.
  P().SetText(kW, "组合框1", Prop::Text, "F11");
  EXPECT_EQ(P().GetText(kW, "组合框1", Prop::Text), "F11");
  P().SetInt(kW, "组合框1", Prop::ListIndex, 0);
  EXPECT_EQ(P().GetText(kW, "组合框1", Prop::Text), "快捷键选择");
  P().SetText(kW, "组合框1", Prop::Text, "F2");
  P().SetInt(kW, "组合框1", Prop::ListIndex, 0);
  EXPECT_EQ(P().GetText(kW, "组合框1", Prop::Text), "快捷键选择") << "same index, field reset";
  P().SetText(kW, "组合框1", Prop::Text, "");
  EXPECT_EQ(P().GetText(kW, "组合框1", Prop::Text), "");

  // Drop-down list: an item's text selects it; other text is kept while nothing is selected.
  P().SetText(kW, "组合框3", Prop::Text, "乙");
  EXPECT_EQ(P().GetInt(kW, "组合框3", Prop::ListIndex), 1);
  P().SetInt(kW, "组合框3", Prop::ListIndex, -1);
  P().SetText(kW, "组合框3", Prop::Text, "丁");
  EXPECT_EQ(P().GetInt(kW, "组合框3", Prop::ListIndex), -1);
  EXPECT_EQ(P().GetText(kW, "组合框3", Prop::Text), "丁");

  P().SetText(kW, "编辑框1", Prop::Text, "新标题");
  EXPECT_EQ(P().GetText(kW, "编辑框1", Prop::Text), "新标题");
  EXPECT_EQ(WidgetAs<QLineEdit>(kW, "编辑框1")->text(), QStringLiteral("新标题"));

  EXPECT_EQ(P().GetText(kW, "通用对话框1", Prop::FileName), "");
  P().SetText(kW, "通用对话框1", Prop::FileName, "/tmp/a.mp3");
  EXPECT_EQ(P().GetText(kW, "通用对话框1", Prop::FileName), "/tmp/a.mp3");

  P().SetText(kW, kW, Prop::Caption, "新标题");
  EXPECT_EQ(P().GetText(kW, kW, Prop::Caption), "新标题");
  EXPECT_EQ(Widget(kW, kW)->windowTitle(), QStringLiteral("新标题"));
}

TEST_F(QtFormTest, AddedComboItemsAppendWithoutSelecting) {
  EXPECT_EQ(P().AddComboItem(kW, "组合框输出通道", "默认设备"), 0);
  EXPECT_EQ(P().AddComboItem(kW, "组合框输出通道", "耳机"), 1);
  EXPECT_EQ(P().GetInt(kW, "组合框输出通道", Prop::ListIndex), -1);
  EXPECT_EQ(WidgetAs<QComboBox>(kW, "组合框输出通道")->itemText(1), QStringLiteral("耳机"));
  P().SetInt(kW, "组合框输出通道", Prop::ListIndex, 9);
  EXPECT_EQ(P().GetInt(kW, "组合框输出通道", Prop::ListIndex), 1);

  P().SetText(kW, "组合框1", Prop::Text, "F3");
  EXPECT_EQ(P().AddComboItem(kW, "组合框1", "F3"), 3);
  EXPECT_EQ(P().GetText(kW, "组合框1", Prop::Text), "F3") << "the edit field is kept";

  EXPECT_EQ(P().AddComboItem(kW, "音效按钮1", "x"), -1);
}

TEST_F(QtPlatformTest, AnimatedPicturesPlayWhileSeenAndRestWhileMinimized) {
  QTemporaryDir dir;
  const QString gif = WriteThreeFrameGif(dir);
  FormDef form = Form("Banner", 200, 100);
  form.controls.push_back(Control("图片框1", ControlKind::PictureBox, 0, 0, 8, 4));
  form.controls.back().image = gif.toStdString();
  P().RegisterForm(form);
  ASSERT_TRUE(P().LoadWindow("Banner"));
  auto* box = dynamic_cast<QtPictureBox*>(Widget("Banner", "图片框1"));
  ASSERT_NE(box, nullptr);
  QWidget* window = box->window();

  // Each frame shows for its own 20 ms (not a default 100 ms), over and over.
  QTest::qWait(300);
  EXPECT_GE(box->Steps(), 6);
  EXPECT_LE(box->Steps(), 20);

  // Minimized at a known frame, it stops there and shows that whole frame: the parts that
  // changed on the way, and on the way round from the last frame to the first.
  auto minimizeAt = [&](int frame) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->Steps() >= 3 && box->Steps() % 3 == frame; }));
    window->showMinimized();
    Settle();
    EXPECT_FALSE(box->Animating());
    const int steps = box->Steps();
    QTest::qWait(60);
    EXPECT_EQ(box->Steps(), steps);
  };
  auto pixel = [&](int x, int y) { return box->grab().toImage().pixelColor(x, y); };
  minimizeAt(2);
  EXPECT_EQ(pixel(0, 0), QColor(Qt::red));
  EXPECT_EQ(pixel(1, 1), QColor(Qt::green));
  EXPECT_EQ(pixel(3, 0), QColor(Qt::blue));

  window->showNormal();
  Settle();
  EXPECT_TRUE(box->Animating());
  minimizeAt(0);
  EXPECT_EQ(pixel(1, 1), QColor(Qt::red));
  EXPECT_EQ(pixel(3, 0), QColor(Qt::red));
}

}  // namespace
}  // namespace kalvor::test
