// Message boxes from a Windows message-box style word: icon (0x10 error, 0x20 question,
// 0x30 exclamation, 0x40 information), buttons (style & 0xF), default button (0x100, 0x200) and
// modality (application-modal; 0x1000 also keeps the box above every other window). The answer
// is the number of the button pressed: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6.
#pragma once

#include <QMessageBox>
#include <QString>
#include <cstdint>
#include <vector>

class QWidget;

namespace kalvor {

class QtMessageBox {
 public:
  static std::int32_t Show(QWidget* owner, const QString& text, const QString& title,
                           std::int32_t style);

  static QMessageBox::Icon IconFor(std::int32_t style);
  // The buttons in the order Windows shows them.
  static std::vector<QMessageBox::StandardButton> ButtonsFor(std::int32_t style);
  static std::int32_t AnswerFor(QMessageBox::StandardButton button);
};

}  // namespace kalvor
