// One control of a loaded window: its form entry, its widget and the values that live beside the
// widget (the file dialog's file name, the text written to a drop-down list, tag and pointer).
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "platform/forms/form_control.h"

namespace kalvor {

struct QtControlRecord : FormControl {
  QPointer<QWidget> widget;  // none for the archive unit and the file dialog
  std::int32_t handle = 0;   // 0 when the control has no widget
};

}  // namespace kalvor
