#include "platform/qt/qt_control_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "platform/qt/qt_control_properties.h"
#include "platform/qt/qt_picture_box.h"

namespace kalvor {

namespace {
bool HasFont(const FontDef& font) {
  return !font.family.empty() || font.pixelHeight > 0;
}
}  // namespace

QFont QtControlFactory::FontFor(const FontDef& def, const QFont& base) {
  QFont font = base;
  if (!def.family.empty()) font.setFamily(QString::fromStdString(def.family));
  if (def.pixelHeight > 0) font.setPixelSize(def.pixelHeight);
  // Qt's weights are the OpenType ones the form uses: 400 normal, 700 bold.
  font.setWeight(static_cast<QFont::Weight>(std::clamp(def.weight, 1, 1000)));
  return font;
}

QFont QtControlFactory::DefaultFont() {
  return FontFor(FontDef{.family = "宋体", .pixelHeight = 12, .weight = 400, .charset = 134},
                 QFont());
}

void QtControlFactory::Build(QtControlRecord& control, QWidget* parent) const {
  const ControlDef& def = control.def;
  control.caption = def.caption;
  if (def.kind == ControlKind::FileDialog) control.storedText = def.caption;
  QWidget* widget = CreateWidget(def, parent);
  control.widget = widget;
  if (!widget) return;
  widget->setObjectName(QString::fromStdString(def.name));
  widget->setGeometry(def.x, def.y, std::max(0, def.w), std::max(0, def.h));
  if (HasFont(def.font)) {
    // The tab control's font is the font of its page captions; the controls on its pages keep
    // their own (default) font.
    if (auto* tab = qobject_cast<QTabWidget*>(widget)) {
      tab->tabBar()->setFont(FontFor(def.font, tab->tabBar()->font()));
    } else {
      widget->setFont(FontFor(def.font, widget->font()));
    }
  }
  if (def.textColor != -1) ApplyTextColor(widget, def.textColor);
  QtControlProperties::ShowText(control, def.caption);
}

QWidget* QtControlFactory::CreateWidget(const ControlDef& def, QWidget* parent) const {
  const std::string name = def.name;
  const Raise raise = raise_;
  switch (def.kind) {
    case ControlKind::Window:
    case ControlKind::ArchiveUnit:
    case ControlKind::FileDialog:
      return nullptr;
    case ControlKind::Button: {
      auto* button = new QPushButton(parent);
      QObject::connect(button, &QPushButton::clicked, button, [raise, name] { raise(name, 0); });
      return button;
    }
    case ControlKind::Label:
    case ControlKind::TransparentLabel: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(def.multiLine);
      // A plain label paints the window's background over what lies below it.
      label->setAutoFillBackground(def.kind == ControlKind::Label);
      return label;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(parent);
      QObject::connect(box, &QCheckBox::clicked, box, [raise, name] { raise(name, 0); });
      return box;
    }
    case ControlKind::ComboList:
    case ControlKind::ComboEdit: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(def.kind == ControlKind::ComboEdit);
      combo->setInsertPolicy(QComboBox::NoInsert);
      for (const std::string& item : def.items) combo->addItem(QString::fromStdString(item));
      combo->setCurrentIndex(-1);  // the form selects no item
      if (combo->isEditable()) {
        // What the user types stays as typed: no completion, and leaving the field does not turn
        // a text that matches an item into a pick of that item (Qt looks the text up when the
        // field loses the focus and reports it as chosen; so does its completer).
        combo->setCompleter(nullptr);
        QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
      }
      // activated: a pick by the user only, not a change made through a property.
      QObject::connect(combo, &QComboBox::activated, combo, [raise, name](int) { raise(name, 0); });
      return combo;
    }
    case ControlKind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setRange(def.minimum, std::max(def.minimum, def.maximum));
      slider->setSingleStep(def.lineStep);
      slider->setPageStep(def.pageStep);
      slider->setValue(def.position);
      // Property writes block the slider's signals, so every change seen here is the user's.
      QObject::connect(slider, &QSlider::valueChanged, slider,
                       [raise, name](int) { raise(name, 0); });
      return slider;
    }
    case ControlKind::EditBox:
      return new QLineEdit(parent);
    case ControlKind::PictureBox: {
      auto* box = new QtPictureBox(parent);
      if (!def.image.empty()) box->SetImage(QString::fromStdString(def.image));
      return box;
    }
    case ControlKind::TabControl: {
      auto* tab = new QTabWidget(parent);
      for (const std::string& page : def.items) {
        tab->addTab(new QWidget(tab), QString::fromStdString(page));
      }
      // Page captions sit as tightly as on the classic tab control, so every page of a form's
      // width shows its caption without scroll arrows.
      tab->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
      tab->tabBar()->setExpanding(false);
      if (def.x < 0) {
        // A tab control that starts left of its parent (the main window's, whose left border
        // lies out of sight) begins its tabs where the parent begins, so the first caption shows
        // whole.
        auto* margin = new QWidget(tab);
        auto* room = new QHBoxLayout(margin);  // the tab control goes by the corner's size hint
        room->setContentsMargins(0, 0, 0, 0);
        room->addSpacing(-def.x);
        tab->setCornerWidget(margin, Qt::TopLeftCorner);
      }
      return tab;
    }
    case ControlKind::GroupBox:
      return new QGroupBox(parent);
    case ControlKind::WebViewer: {
      // Stands in for a web page out of the user's sight: shows the address, fetches nothing.
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      label->setFrameShape(QFrame::StyledPanel);
      label->setAutoFillBackground(true);
      return label;
    }
  }
  return nullptr;
}

void QtControlFactory::ApplyTextColor(QWidget* widget, std::int32_t bgr) {
  const QColor color = QtControlProperties::ColorFromBgr(bgr);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::ButtonText, color);
  palette.setColor(QPalette::Text, color);
  widget->setPalette(palette);
}

}  // namespace kalvor
