// One control of a loaded window: its form entry, its widget and the values that live beside the
// widget (the file dialog's file name, the text written to a drop-down list, tag and pointer).
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "platform/platform_services.h"

namespace kalvor {

struct QtControlRecord {
  ControlDef def;
  QPointer<QWidget> widget;  // none for the archive unit and the file dialog
  std::int32_t handle = 0;   // 0 when the control has no widget
  // The caption or text as last written (or as in the form): what Caption and Text read back for
  // controls whose widget shows a reformatted copy (labels turn "\r\n" into "\n").
  std::string caption;
  // The file dialog's file name; for a drop-down list, the text last written to it.
  std::string storedText;
  std::string tag;
  std::int32_t mousePointer = 0;
  bool visible = true;  // the control's own visibility; a tab page may still hide it
};

}  // namespace kalvor
