#include "platform/qt/qt_control_properties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <optional>

#include "platform/qt/qt_tab_children.h"

namespace kalvor {

namespace {

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
  return text.toStdString();
}

bool IsCombo(ControlKind kind) {
  return kind == ControlKind::ComboList || kind == ControlKind::ComboEdit;
}

// The narrowest a caption is condensed to, in percent of its width.
constexpr int kNarrowestStretch = 60;

// How wide the caption is drawn: a centred caption by its advance, a caption drawn from the left
// edge up to the last pixel of its widest line.
int CaptionWidth(const QFont& font, const QString& text, bool centred) {
  const QFontMetrics metrics(font);
  if (centred) return metrics.horizontalAdvance(text);
  int width = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    if (!line.isEmpty()) width = std::max(width, metrics.tightBoundingRect(line).right() + 1);
  }
  return width;
}

// A caption wider than the room its control has is drawn condensed until it fits. The forms are
// laid out for a font whose digits and signs are half as wide as a Chinese character; the fonts
// installed here draw some of them wider ("100" beside the volume slider, the "%" after it).
void FitCaption(const QtControlRecord& control, const QString& text) {
  QWidget* widget = control.widget.data();
  int room = 0;
  bool centred = false;
  QStyleOptionButton option;
  option.initFrom(widget);
  switch (control.def.kind) {
    case ControlKind::Button:
      room =
          widget->style()->subElementRect(QStyle::SE_PushButtonContents, &option, widget).width();
      centred = true;
      break;
    case ControlKind::CheckBox:
      room = widget->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, widget).width();
      break;
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
      if (control.def.multiLine) return;
      room = widget->width();
      break;
    default:
      return;
  }
  QFont font = widget->font();
  const int shown = font.stretch() == QFont::AnyStretch ? QFont::Unstretched : font.stretch();
  int stretch = QFont::Unstretched;
  font.setStretch(stretch);
  const int width = CaptionWidth(font, text, centred);
  if (width > room && room > 0) {
    stretch = std::max(kNarrowestStretch, room * QFont::Unstretched / width);
    font.setStretch(stretch);
    // Glyph widths round to whole pixels: narrower still until it fits.
    while (stretch > kNarrowestStretch && CaptionWidth(font, text, centred) > room) {
      font.setStretch(--stretch);
    }
  }
  if (stretch != shown) widget->setFont(font);
}

}  // namespace

QColor QtControlProperties::ColorFromBgr(std::int32_t bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QString QtControlProperties::DisplayText(std::string_view text) {
  QString shown = ToQt(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

std::int32_t QtControlProperties::GetInt(const QtControlRecord& control, Prop prop) {
  QWidget* widget = control.widget.data();
  switch (prop) {
    case Prop::Left:
      return widget ? widget->x() : control.def.x;
    case Prop::Top:
      return widget ? widget->y() : control.def.y;
    case Prop::Width:
      return widget ? widget->width() : control.def.w;
    case Prop::Height:
      return widget ? widget->height() : control.def.h;
    case Prop::Visible:
      return control.visible ? 1 : 0;
    case Prop::Disable:
      return widget && widget->testAttribute(Qt::WA_ForceDisabled) ? 1 : 0;
    case Prop::MousePointer:
      return control.mousePointer;
    case Prop::Checked:
      if (auto* box = qobject_cast<QCheckBox*>(widget)) return box->isChecked() ? 1 : 0;
      return 0;
    case Prop::ListIndex:
      if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentIndex();
      return -1;
    case Prop::Position:
      if (auto* slider = qobject_cast<QSlider*>(widget)) return slider->value();
      return 0;
    case Prop::TopMost:
      return 0;
    case Prop::Tag:
    case Prop::Caption:
    case Prop::Text:
    case Prop::FileName:
      return TruncateToInt(TextToNumber(GetText(control, prop)));
  }
  return 0;
}

void QtControlProperties::SetInt(QtControlRecord& control, Prop prop, std::int32_t value) {
  QWidget* widget = control.widget.data();
  switch (prop) {
    case Prop::Left:
    case Prop::Top:
    case Prop::Width:
    case Prop::Height: {
      if (!widget) return;
      QRect r = widget->geometry();
      if (prop == Prop::Left) r.moveLeft(value);
      if (prop == Prop::Top) r.moveTop(value);
      if (prop == Prop::Width) r.setWidth(std::max(0, value));
      if (prop == Prop::Height) r.setHeight(std::max(0, value));
      widget->setGeometry(r);
      return;
    }
    case Prop::Visible:
      control.visible = value != 0;
      if (!widget) return;
      if (QtTabChildren::IsTabChild(widget)) {
        QtTabChildren::SetShown(widget, control.visible);
      } else {
        widget->setVisible(control.visible);
      }
      return;
    case Prop::Disable:
      if (widget) widget->setEnabled(value == 0);
      return;
    case Prop::MousePointer:
      control.mousePointer = value;
      return;
    case Prop::Checked:
      if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        const QSignalBlocker quiet(box);
        box->setChecked(value == 1);
      }
      return;
    case Prop::ListIndex:
      if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const int index = std::clamp(value, -1, combo->count() - 1);
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(index);
        // Selecting the item that is already current does not refresh an edited field.
        if (combo->isEditable())
          combo->setEditText(index >= 0 ? combo->itemText(index) : QString());
      }
      return;
    case Prop::Position:
      if (auto* slider = qobject_cast<QSlider*>(widget)) {
        const int position = std::clamp(std::clamp(value, 0, 32767), slider->minimum(),
                                        std::max(slider->minimum(), slider->maximum()));
        const QSignalBlocker quiet(slider);
        slider->setValue(position);
      }
      return;
    case Prop::TopMost:
      return;
    case Prop::Tag:
    case Prop::Caption:
    case Prop::Text:
    case Prop::FileName:
      SetText(control, prop, NumberToText(value));
      return;
  }
}

std::string QtControlProperties::GetText(const QtControlRecord& control, Prop prop) {
  if (IsNumericProperty(prop)) return NumberToText(GetInt(control, prop));
  if (std::optional<std::string> held = control.HeldText(prop)) return *held;
  QWidget* widget = control.widget.data();
  switch (control.def.kind) {
    case ControlKind::ComboEdit:
      if (auto* combo = qobject_cast<QComboBox*>(widget)) return FromQt(combo->currentText());
      break;
    case ControlKind::ComboList:
      if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->currentIndex() >= 0) {
        return FromQt(combo->currentText());
      }
      return control.storedText;
    case ControlKind::EditBox:
      if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQt(edit->text());
      break;
    default:
      break;
  }
  return control.caption;
}

void QtControlProperties::SetText(QtControlRecord& control, Prop prop, std::string_view value) {
  if (IsNumericProperty(prop)) {
    SetInt(control, prop, TruncateToInt(TextToNumber(value)));
  } else if (!control.HoldText(prop, value)) {
    ShowText(control, std::string(value));
  }
}

void QtControlProperties::ShowText(QtControlRecord& control, const std::string& text) {
  control.caption = text;
  QWidget* widget = control.widget.data();
  if (!widget) return;
  const QSignalBlocker quiet(widget);
  switch (control.def.kind) {
    case ControlKind::Button:
      static_cast<QPushButton*>(widget)->setText(ToQt(text));
      FitCaption(control, ToQt(text));
      break;
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
      static_cast<QLabel*>(widget)->setText(DisplayText(text));
      FitCaption(control, DisplayText(text));
      break;
    case ControlKind::WebViewer:
      static_cast<QLabel*>(widget)->setText(DisplayText(text));
      break;
    case ControlKind::CheckBox:
      static_cast<QCheckBox*>(widget)->setText(ToQt(text));
      FitCaption(control, ToQt(text));
      break;
    case ControlKind::GroupBox:
      static_cast<QGroupBox*>(widget)->setTitle(ToQt(text));
      break;
    case ControlKind::ComboEdit:
      static_cast<QComboBox*>(widget)->setEditText(ToQt(text));
      break;
    case ControlKind::ComboList: {
      control.storedText = text;
      auto* combo = static_cast<QComboBox*>(widget);
      const int index = combo->findText(ToQt(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
      if (index >= 0) combo->setCurrentIndex(index);
      break;
    }
    case ControlKind::EditBox:
      static_cast<QLineEdit*>(widget)->setText(ToQt(text));
      break;
    default:
      break;
  }
}

std::int32_t QtControlProperties::AddItem(QtControlRecord& control, std::string_view text,
                                          std::int32_t data) {
  auto* combo = qobject_cast<QComboBox*>(control.widget.data());
  if (!combo || !IsCombo(control.def.kind)) return -1;
  const QSignalBlocker quiet(combo);
  const int before = combo->currentIndex();
  const QString field = combo->currentText();
  combo->addItem(ToQt(text), data);
  // Qt selects the first item added to an empty box; a Windows combo box selects nothing.
  if (before < 0 && combo->currentIndex() >= 0) {
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->setEditText(field);
  }
  return combo->count() - 1;
}

}  // namespace kalvor
