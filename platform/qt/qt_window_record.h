// A loaded window: its form, its top-level widget and its controls by unit name.
#pragma once

#include <QEventLoop>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/platform_services.h"
#include "platform/qt/qt_control_record.h"
#include "platform/qt/qt_form_window.h"

namespace kalvor {

struct QtWindowRecord {
  FormDef form;
  std::uint64_t serial = 0;  // tells a window apart from a later load of the same form
  QPointer<QtFormWindow> widget;
  std::int32_t handle = 0;
  std::map<std::string, QtControlRecord, std::less<>> controls;
  std::string tag;
  std::int32_t mousePointer = 0;
  bool visible = true;
  bool closing = false;  // UnloadWindow or the close box asked for its destruction
  bool topMost = false;
  QEventLoop* modalLoop = nullptr;  // the loop of a modal LoadWindow waiting for its end
};

}  // namespace kalvor
