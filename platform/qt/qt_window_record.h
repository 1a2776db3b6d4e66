// A loaded window: its form, its top-level widget and its controls by unit name.
#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/forms/form_window.h"
#include "platform/qt/qt_control_record.h"
#include "platform/qt/qt_form_window.h"

namespace kalvor {

struct QtWindowRecord : FormWindow {
  QPointer<QtFormWindow> widget;
  std::int32_t handle = 0;
  std::map<std::string, QtControlRecord, std::less<>> controls;
};

}  // namespace kalvor
