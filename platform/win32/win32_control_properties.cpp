#include "platform/win32/win32_control_properties.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "platform/core/wide_text.h"
#include "platform/win32/win32_control_factory.h"

namespace kalvor {

namespace {

bool IsCombo(ControlKind kind) {
  return kind == ControlKind::ComboList || kind == ControlKind::ComboEdit;
}

int ItemCount(HWND combo) {
  return static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
}

std::string ItemText(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return Narrow(text);
}

int Selection(HWND combo) {
  const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

// The parent repaints what lies below a label without a background of its own, so the text it
// showed before does not stay.
void RepaintBelow(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  RECT rect;
  if (parent == nullptr || !GetWindowRect(hwnd, &rect)) return;
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

std::string Win32ControlProperties::WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(0, copied)));
  return Narrow(text);
}

void Win32ControlProperties::ApplyVisibility(const Win32ControlRecord& control) {
  if (control.hwnd == nullptr) return;
  bool shown = control.visible;
  if (control.tab != nullptr) {
    const auto current = static_cast<int>(SendMessageW(control.tab, TCM_GETCURSEL, 0, 0));
    shown = shown && std::max(1, control.def.page) - 1 == current;
  }
  ShowWindow(control.hwnd, shown ? SW_SHOWNA : SW_HIDE);
}

std::int32_t Win32ControlProperties::GetInt(const Win32ControlRecord& control, Prop prop) {
  HWND hwnd = control.hwnd;
  switch (prop) {
    case Prop::Left:
      return control.x;
    case Prop::Top:
      return control.y;
    case Prop::Width:
      return control.w;
    case Prop::Height:
      return control.h;
    case Prop::Visible:
      return control.visible ? 1 : 0;
    case Prop::Disable:
      return hwnd != nullptr && !IsWindowEnabled(hwnd) ? 1 : 0;
    case Prop::MousePointer:
      return control.mousePointer;
    case Prop::Checked:
      if (hwnd == nullptr || control.def.kind != ControlKind::CheckBox) return 0;
      return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    case Prop::ListIndex:
      return hwnd != nullptr && IsCombo(control.def.kind) ? Selection(hwnd) : -1;
    case Prop::Position:
      if (hwnd == nullptr || control.def.kind != ControlKind::Slider) return 0;
      return static_cast<std::int32_t>(SendMessageW(hwnd, TBM_GETPOS, 0, 0));
    case Prop::TopMost:
      return 0;
    case Prop::Tag:
    case Prop::Caption:
    case Prop::Text:
    case Prop::FileName:
      return TruncateToInt(TextToNumber(GetText(control, prop)));
  }
  return 0;
}

void Win32ControlProperties::SetInt(Win32ControlRecord& control, Prop prop, std::int32_t value,
                                    UINT dpi) {
  HWND hwnd = control.hwnd;
  switch (prop) {
    case Prop::Left:
    case Prop::Top:
    case Prop::Width:
    case Prop::Height:
      if (hwnd == nullptr) return;
      if (prop == Prop::Left) control.x = value;
      if (prop == Prop::Top) control.y = value;
      if (prop == Prop::Width) control.w = std::max(0, value);
      if (prop == Prop::Height) control.h = std::max(0, value);
      Win32ControlFactory::Place(control, dpi);
      return;
    case Prop::Visible:
      control.visible = value != 0;
      ApplyVisibility(control);
      return;
    case Prop::Disable:
      if (hwnd != nullptr) EnableWindow(hwnd, value == 0);
      return;
    case Prop::MousePointer:
      control.mousePointer = value;
      return;
    case Prop::Checked:
      if (hwnd != nullptr && control.def.kind == ControlKind::CheckBox) {
        SendMessageW(hwnd, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      return;
    case Prop::ListIndex:
      if (hwnd != nullptr && IsCombo(control.def.kind)) {
        const int index = std::clamp(value, -1, ItemCount(hwnd) - 1);
        // Selecting no item empties an editable box's field as well.
        SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (control.def.kind == ControlKind::ComboEdit) {
          SetWindowTextW(hwnd, Widen(index >= 0 ? ItemText(hwnd, index) : std::string()).c_str());
        }
      }
      return;
    case Prop::Position:
      if (hwnd != nullptr && control.def.kind == ControlKind::Slider) {
        const auto minimum = static_cast<int>(SendMessageW(hwnd, TBM_GETRANGEMIN, 0, 0));
        const auto maximum = static_cast<int>(SendMessageW(hwnd, TBM_GETRANGEMAX, 0, 0));
        const int position =
            std::clamp(std::clamp(value, 0, 32767), minimum, std::max(minimum, maximum));
        SendMessageW(hwnd, TBM_SETPOS, TRUE, position);
        control.lastPosition = position;
      }
      return;
    case Prop::TopMost:
      return;
    case Prop::Tag:
    case Prop::Caption:
    case Prop::Text:
    case Prop::FileName:
      SetText(control, prop, NumberToText(value), dpi);
      return;
  }
}

std::string Win32ControlProperties::GetText(const Win32ControlRecord& control, Prop prop) {
  if (IsNumericProperty(prop)) return NumberToText(GetInt(control, prop));
  if (std::optional<std::string> held = control.HeldText(prop)) return *held;
  HWND hwnd = control.hwnd;
  if (hwnd == nullptr) return control.caption;
  switch (control.def.kind) {
    case ControlKind::ComboEdit:
    case ControlKind::EditBox:
      return WindowText(hwnd);
    case ControlKind::ComboList: {
      const int index = Selection(hwnd);
      return index >= 0 ? ItemText(hwnd, index) : control.storedText;
    }
    default:
      return control.caption;
  }
}

void Win32ControlProperties::SetText(Win32ControlRecord& control, Prop prop, std::string_view value,
                                     UINT dpi) {
  if (IsNumericProperty(prop)) {
    SetInt(control, prop, TruncateToInt(TextToNumber(value)), dpi);
  } else if (!control.HoldText(prop, value)) {
    ShowText(control, std::string(value));
  }
}

void Win32ControlProperties::ShowText(Win32ControlRecord& control, const std::string& text) {
  control.caption = text;
  HWND hwnd = control.hwnd;
  if (hwnd == nullptr) return;
  switch (control.def.kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::Label:
      SetWindowTextW(hwnd, Widen(text).c_str());
      Win32ControlFactory::FitCaption(control);
      break;
    case ControlKind::GroupBox:
    case ControlKind::WebViewer:
    case ControlKind::ComboEdit:
    case ControlKind::EditBox:
      SetWindowTextW(hwnd, Widen(text).c_str());
      break;
    case ControlKind::TransparentLabel:
      SetWindowTextW(hwnd, Widen(text).c_str());
      Win32ControlFactory::FitCaption(control);
      RepaintBelow(hwnd);
      break;
    case ControlKind::ComboList: {
      control.storedText = text;
      // An exact match, letter case included (the list's own search ignores case).
      const int count = ItemCount(hwnd);
      for (int index = 0; index < count; ++index) {
        if (ItemText(hwnd, index) == text) {
          SendMessageW(hwnd, CB_SETCURSEL, index, 0);
          break;
        }
      }
      break;
    }
    default:
      break;
  }
}

std::int32_t Win32ControlProperties::AddItem(Win32ControlRecord& control, std::string_view text,
                                             std::int32_t data) {
  if (control.hwnd == nullptr || !IsCombo(control.def.kind)) return -1;
  const LRESULT index =
      SendMessageW(control.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  if (index == CB_ERR || index == CB_ERRSPACE) return -1;
  SendMessageW(control.hwnd, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
  return static_cast<std::int32_t>(index);
}

}  // namespace kalvor
