#include "platform/forms/form_control.h"

namespace kalvor {

bool IsNumericProperty(Prop prop) {
  switch (prop) {
    case Prop::Tag:
    case Prop::Caption:
    case Prop::Text:
    case Prop::FileName:
      return false;
    default:
      return true;
  }
}

std::optional<std::string> FormControl::HeldText(Prop prop) const {
  if (prop == Prop::Tag) return tag;
  if (prop == Prop::FileName) {
    return def.kind == ControlKind::FileDialog ? storedText : std::string();
  }
  return std::nullopt;
}

bool FormControl::HoldText(Prop prop, std::string_view value) {
  if (prop == Prop::Tag) {
    tag = std::string(value);
  } else if (prop == Prop::FileName) {
    if (def.kind == ControlKind::FileDialog) storedText = std::string(value);
  } else {
    return false;
  }
  return true;
}

}  // namespace kalvor
