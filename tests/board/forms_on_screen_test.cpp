// The five windows as the Qt layer builds them: every control that has a widget stands where its
// form puts it, with its caption, relative to its parent (controls of the tab control relative to
// the tab control's own corner, header included); every window has its outer size; every caption
// is drawn in the forms' 12-pixel Chinese font and fits its control.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>

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

// The width a caption needs where it is drawn from the left edge: up to its last pixel.
int InkWidth(const QFontMetrics& metrics, const QString& line) {
  return line.isEmpty() ? 0 : metrics.tightBoundingRect(line).right() + 1;
}

// Where the control draws its caption, and how much of that room the caption takes, in the font
// the widget really uses; {0, 0} for a control that shows no caption.
struct Fit {
  int room = 0;
  int needed = 0;
};

Fit CaptionFit(QWidget* widget) {
  const QFontMetrics metrics(widget->font());
  QStyle* style = widget->style();
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    return {style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width(),
            metrics.horizontalAdvance(button->text())};  // centred by its advance
  }
  if (auto* box = qobject_cast<QCheckBox*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(box);
    return {style->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width(),
            InkWidth(metrics, box->text())};
  }
  if (auto* group = qobject_cast<QGroupBox*>(widget); group && !group->title().isEmpty()) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label =
        style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
    return {group->width() - label.left(), metrics.horizontalAdvance(group->title())};
  }
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.subControls = QStyle::SC_All;
    Fit fit{style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                .width(),
            InkWidth(metrics, combo->currentText())};
    for (int i = 0; i < combo->count(); ++i) {
      fit.needed = std::max(fit.needed, InkWidth(metrics, combo->itemText(i)));
    }
    return fit;
  }
  return {};
}

TEST_F(FormsOnScreenTest, EveryCaptionIsDrawnInTheFormsFontAndFits) {
  WriteSetting("data", "kjj", "2");
  StartBoard();
  // The widest values the controls that change at run time show.
  P().SetText("MainWindow", "音量大小标示", Prop::Caption, "100");
  P().SetText("MainWindow", "标签2", Prop::Caption, "F10");
  for (const FormDef& form : BoardForms::All()) {
    SCOPED_TRACE(form.name);
    if (form.name != "MainWindow") P().LoadWindow(form.name, false);
    for (const ControlDef& control : form.controls) {
      SCOPED_TRACE(control.name);
      QWidget* widget = Widget(form.name, control.name);
      if (widget == nullptr || control.kind == ControlKind::PictureBox ||
          control.kind == ControlKind::WebViewer) {
        continue;
      }
      QFont font = widget->font();
      if (auto* tab = qobject_cast<QTabWidget*>(widget)) font = tab->tabBar()->font();
      const QFontInfo shown(font);
      EXPECT_EQ(shown.pixelSize(), 12);
      EXPECT_TRUE(
          QFontDatabase::writingSystems(shown.family()).contains(QFontDatabase::SimplifiedChinese))
          << shown.family().toStdString();

      if (auto* label = qobject_cast<QLabel*>(widget)) {
        const QFontMetrics metrics(label->font());
        const QStringList lines = label->text().split(QLatin1Char('\n'));
        for (const QString& line : lines) {
          EXPECT_LE(InkWidth(metrics, line), label->width()) << line.toStdString();
        }
        // Down to the last pixel of the last line.
        const int lastLine = metrics.lineSpacing() * static_cast<int>(lines.size() - 1);
        EXPECT_LE(
            lastLine + metrics.ascent() + metrics.tightBoundingRect(lines.back()).bottom() + 1,
            label->height());
      } else if (auto* tab = qobject_cast<QTabWidget*>(widget)) {
        // Every page caption shows whole inside the window, none behind scroll arrows.
        QWidget* window = widget->window();
        for (int page = 0; page < tab->count(); ++page) {
          const QRect at(tab->tabBar()->mapTo(window, tab->tabBar()->tabRect(page).topLeft()),
                         tab->tabBar()->tabRect(page).size());
          EXPECT_GE(at.left(), 0) << page;
          EXPECT_LE(at.right(), window->width() - 1) << page;
        }
      } else {
        const Fit fit = CaptionFit(widget);
        EXPECT_LE(fit.needed, fit.room);
      }
    }
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
