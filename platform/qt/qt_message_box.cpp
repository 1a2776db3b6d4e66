#include "platform/qt/qt_message_box.h"

#include <QAbstractButton>
#include <QPushButton>
#include <algorithm>

namespace kalvor {

QMessageBox::Icon QtMessageBox::IconFor(std::int32_t style) {
  switch (style & 0xF0) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

std::vector<QMessageBox::StandardButton> QtMessageBox::ButtonsFor(std::int32_t style) {
  using B = QMessageBox;
  switch (style & 0xF) {
    case 1:
      return {B::Ok, B::Cancel};
    case 2:
      return {B::Abort, B::Retry, B::Ignore};
    case 3:
      return {B::Yes, B::No, B::Cancel};
    case 4:
      return {B::Yes, B::No};
    case 5:
      return {B::Retry, B::Cancel};
    default:
      return {B::Ok};
  }
}

std::int32_t QtMessageBox::AnswerFor(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Cancel:
      return 1;
    case QMessageBox::Abort:
      return 2;
    case QMessageBox::Retry:
      return 3;
    case QMessageBox::Ignore:
      return 4;
    case QMessageBox::Yes:
      return 5;
    case QMessageBox::No:
      return 6;
    default:
      return 0;
  }
}

std::int32_t QtMessageBox::Show(QWidget* owner, const QString& text, const QString& title,
                                std::int32_t style) {
  QMessageBox box(IconFor(style), title, text, QMessageBox::NoButton, owner);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  if (style & 0x1000) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  const auto buttons = ButtonsFor(style);
  for (QMessageBox::StandardButton button : buttons) box.addButton(button);
  const std::size_t defaultIndex = (style >> 8) & 0xF;
  if (defaultIndex < buttons.size()) box.setDefaultButton(buttons[defaultIndex]);
  // Escape and the close box answer Cancel where there is one; an OK-only box answers OK; the
  // Yes/No and Abort/Retry/Ignore boxes can only be answered with a button.
  const bool hasCancel =
      std::find(buttons.begin(), buttons.end(), QMessageBox::Cancel) != buttons.end();
  if (hasCancel) {
    box.setEscapeButton(QMessageBox::Cancel);
  } else if (buttons.size() == 1) {
    box.setEscapeButton(buttons.front());
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  if (clicked == nullptr) return hasCancel ? 1 : AnswerFor(buttons.front());
  return AnswerFor(box.standardButton(clicked));
}

}  // namespace kalvor
