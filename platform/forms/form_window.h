// What the platform keeps of every loaded window whatever the toolkit: its form, the serial that
// tells it apart from a later load of the same form, and the properties that live beside the
// native window. A toolkit's window record derives from it and adds its native window and
// controls.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform_services.h"

namespace kalvor {

struct FormWindow {
  FormWindow() = default;
  virtual ~FormWindow() = default;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  FormDef form;
  std::uint64_t serial = 0;  // tells a window apart from a later load of the same form
  std::string tag;
  std::int32_t mousePointer = 0;
  bool visible = true;
  bool closing = false;  // UnloadWindow or the close box asked for its destruction
  bool topMost = false;
};

}  // namespace kalvor
