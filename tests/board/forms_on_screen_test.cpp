// The five windows as the Qt layer builds them: every control that has a widget stands where its
// form puts it, with its caption, relative to its parent (controls of the tab control relative to
// the tab control's own corner, header included); every window has its outer size.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>

#include "board/board_forms.h"
#include "tests/board/board_fixture.h"

namespace kalvor::test {
namespace {

class FormsOnScreenTest : public BoardTest {};

bool HasWidget(ControlKind kind) {
  return kind != ControlKind::ArchiveUnit && kind != ControlKind::FileDialog;
}

TEST_F(FormsOnScreenTest, EveryControlStandsWhereItsFormPutsIt) {
  WriteSetting("data", "kjj", "2");
  StartBoard();
  for (const FormDef& form : BoardForms::All()) {
    SCOPED_TRACE(form.name);
    if (form.name != "MainWindow") P().LoadWindow(form.name, false);
    ASSERT_TRUE(P().IsWindowLoaded(form.name));
    EXPECT_EQ(P().GetInt(form.name, form.name, Prop::Width), form.outerWidth);
    EXPECT_EQ(P().GetInt(form.name, form.name, Prop::Height), form.outerHeight);
    EXPECT_EQ(Widget(form.name, form.name)->windowTitle().toStdString(), form.caption);
    int checked = 0;
    for (const ControlDef& control : form.controls) {
      SCOPED_TRACE(control.name);
      QWidget* widget = Widget(form.name, control.name);
      if (!HasWidget(control.kind)) {
        EXPECT_EQ(widget, nullptr);
        continue;
      }
      ASSERT_NE(widget, nullptr);
      const QWidget* parent =
          control.parent.empty() ? Widget(form.name, form.name) : Widget(form.name, control.parent);
      ASSERT_NE(parent, nullptr);
      const QPoint at =
          widget->mapTo(parent->window(), QPoint(0, 0)) -
          (control.parent.empty() ? QPoint(0, 0) : parent->mapTo(parent->window(), QPoint(0, 0)));
      EXPECT_EQ(at, QPoint(control.x, control.y));
      EXPECT_EQ(widget->size(), QSize(control.w, control.h));
      QString shown;
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) shown = button->text();
      if (auto* label = qobject_cast<QLabel*>(widget); label && control.image.empty()) {
        shown = label->text();
      }
      if (auto* group = qobject_cast<QGroupBox*>(widget)) shown = group->title();
      const bool slotCaption =
          control.name.rfind("音效按钮", 0) == 0 && control.caption == "自定义";
      const bool runTime = (form.name == "MainWindow" && control.name == "音量大小标示") ||
                           control.kind == ControlKind::WebViewer || slotCaption;
      if (!shown.isNull() && !runTime) EXPECT_EQ(shown.toStdString(), control.caption);
      if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (form.name != "MainWindow") {
          ASSERT_EQ(combo->count(), static_cast<int>(control.items.size()));
          for (int i = 0; i < combo->count(); ++i) {
            EXPECT_EQ(combo->itemText(i).toStdString(), control.items[i]);
          }
        }
      }
      if (auto* slider = qobject_cast<QSlider*>(widget)) {
        EXPECT_EQ(slider->minimum(), control.minimum);
        EXPECT_EQ(slider->maximum(), control.maximum);
        EXPECT_EQ(slider->singleStep(), control.lineStep);
        EXPECT_EQ(slider->pageStep(), control.pageStep);
      }
      ++checked;
    }
    EXPECT_GT(checked, 0);
  }
}

TEST_F(FormsOnScreenTest, TheHiddenGroupLiesOutsideTheWindow) {
  WriteSetting("data", "kjj", "2");
  StartBoard();
  QWidget* main = Widget("MainWindow", "MainWindow");
  const QRect group(Widget("MainWindow", "分组框1")->mapTo(main, QPoint(0, 0)),
                    Widget("MainWindow", "分组框1")->size());
  EXPECT_FALSE(main->rect().intersects(group));
}

}  // namespace
}  // namespace kalvor::test
