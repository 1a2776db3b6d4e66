// What the platform keeps of every control whatever the toolkit: its form entry and the values
// that live beside the native control. A toolkit's control record derives from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform_services.h"

namespace kalvor {

// Whether a property is a number (every property but the tag, caption, text and file name).
bool IsNumericProperty(Prop prop);

struct FormControl {
  // The tag, or the file dialog's file name (empty for other controls), as the text properties
  // read them; nothing for the caption and text, which the toolkit shows.
  std::optional<std::string> HeldText(Prop prop) const;
  // Writes the tag or the file dialog's file name (other controls have none); false for the
  // caption and text, which the toolkit shows.
  bool HoldText(Prop prop, std::string_view value);

  ControlDef def;
  // The caption or text as last written (or as in the form): what Caption and Text read back for
  // controls whose native control shows a reformatted copy (labels turn "\r\n" into "\n").
  std::string caption;
  // The file dialog's file name; for a drop-down list, the text last written to it.
  std::string storedText;
  std::string tag;
  std::int32_t mousePointer = 0;
  bool visible = true;  // the control's own visibility; a tab page may still hide it
};

}  // namespace kalvor
