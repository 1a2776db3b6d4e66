#include "platform/win32/win32_control_factory.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/core/wide_text.h"
#include "platform/win32/win32_control_properties.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_picture_box.h"

namespace kalvor {

namespace {

// A combo box's window reaches down over its list: this much below the selection field.
constexpr int kComboListHeight = 160;

// The narrowest a caption is condensed to, in percent of its width.
constexpr int kNarrowestStretch = 60;

// The width the caption's text takes: its widest line.
int CaptionWidth(HDC dc, const std::string& caption) {
  int widest = 0;
  std::size_t start = 0;
  while (start <= caption.size()) {
    std::size_t end = caption.find('\n', start);
    if (end == std::string::npos) end = caption.size();
    std::string_view line(caption.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::wstring text = Widen(line);
    SIZE size{};
    if (!text.empty() &&
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size)) {
      widest = std::max<int>(widest, size.cx);
    }
    start = end + 1;
  }
  return widest;
}

// The room a caption has inside its control in pixels; 0 for the controls whose captions are not
// fitted.
int CaptionRoom(const Win32ControlRecord& control) {
  RECT client{};
  GetClientRect(control.hwnd, &client);
  const UINT dpi = Win32Dpi::ForWindow(control.hwnd);
  switch (control.def.kind) {
    case ControlKind::Button:
      return client.right - Win32Dpi::Scale(6, dpi);  // the raised edges
    case ControlKind::CheckBox:
      return client.right - Win32Dpi::Scale(17, dpi);  // the box and the gap after it
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
      return control.def.multiLine ? 0 : client.right;
    default:
      return 0;
  }
}

bool IsCombo(ControlKind kind) {
  return kind == ControlKind::ComboList || kind == ControlKind::ComboEdit;
}

struct WindowKind {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

WindowKind KindOf(const ControlDef& def) {
  constexpr DWORD kLabel = SS_NOTIFY | SS_NOPREFIX;
  switch (def.kind) {
    case ControlKind::Button:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Label:
      return {L"STATIC", kLabel | (def.multiLine ? SS_LEFT : SS_LEFTNOWORDWRAP), 0};
    case ControlKind::TransparentLabel:
      // Drawn after the siblings below it, without a background of its own.
      return {L"STATIC", kLabel | (def.multiLine ? SS_LEFT : SS_LEFTNOWORDWRAP), WS_EX_TRANSPARENT};
    case ControlKind::CheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::ComboList:
      return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ComboEdit:
      return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::Slider:
      return {TRACKBAR_CLASSW, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 0};
    case ControlKind::EditBox:
      return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::TabControl:
      return {WC_TABCONTROLW, WS_TABSTOP, 0};
    case ControlKind::GroupBox:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::WebViewer:
      // Stands in for a web page out of the user's sight: shows the address, fetches nothing.
      return {L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, WS_EX_STATICEDGE};
    default:
      return {nullptr, 0, 0};
  }
}

}  // namespace

HFONT Win32ControlFactory::FontFor(const FontDef& def, UINT dpi) {
  if (def.family.empty() && def.pixelHeight <= 0) return nullptr;
  LOGFONTW font = Win32Dpi::MessageFont(dpi);
  if (!def.family.empty()) {
    const std::wstring family = Widen(def.family);
    wcsncpy(font.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    font.lfCharSet = static_cast<BYTE>(def.charset);
  }
  // A height in pixels is the height of the characters, as a point size gives it.
  if (def.pixelHeight > 0) font.lfHeight = -Win32Dpi::Scale(def.pixelHeight, dpi);
  font.lfWeight = std::clamp(def.weight, 1, 1000);
  return CreateFontIndirectW(&font);
}

void Win32ControlFactory::Build(Win32ControlRecord& control, HWND parent, int id, UINT dpi,
                                HFONT defaultFont) {
  const ControlDef& def = control.def;
  control.x = def.x;
  control.y = def.y;
  control.w = std::max(0, def.w);
  control.h = std::max(0, def.h);
  control.caption = def.caption;
  if (def.kind == ControlKind::FileDialog) control.storedText = def.caption;
  control.hwnd = Create(def, parent, id, dpi);
  if (control.hwnd == nullptr) return;
  ApplyFont(control, dpi, defaultFont);

  switch (def.kind) {
    case ControlKind::ComboList:
    case ControlKind::ComboEdit: {
      for (const std::string& item : def.items) {
        SendMessageW(control.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
      }
      SendMessageW(control.hwnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // no item selected
      COMBOBOXINFO info{};
      info.cbSize = sizeof(info);
      if (GetComboBoxInfo(control.hwnd, &info) && info.hwndItem != control.hwnd) {
        control.inner = info.hwndItem;
      }
      break;
    }
    case ControlKind::Slider: {
      const int maximum = std::max(def.minimum, def.maximum);
      SendMessageW(control.hwnd, TBM_SETRANGEMIN, FALSE, def.minimum);
      SendMessageW(control.hwnd, TBM_SETRANGEMAX, FALSE, maximum);
      SendMessageW(control.hwnd, TBM_SETLINESIZE, 0, def.lineStep);
      SendMessageW(control.hwnd, TBM_SETPAGESIZE, 0, def.pageStep);
      control.lastPosition = std::clamp(def.position, def.minimum, maximum);
      SendMessageW(control.hwnd, TBM_SETPOS, TRUE, control.lastPosition);
      break;
    }
    case ControlKind::TabControl: {
      int index = 0;
      for (const std::string& page : def.items) {
        std::wstring caption = Widen(page);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(control.hwnd, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
      }
      break;
    }
    default:
      break;
  }
  Win32ControlProperties::ShowText(control, def.caption);
}

HWND Win32ControlFactory::Create(const ControlDef& def, HWND parent, int id, UINT dpi) {
  const int x = Win32Dpi::Scale(def.x, dpi);
  const int y = Win32Dpi::Scale(def.y, dpi);
  const int w = Win32Dpi::Scale(std::max(0, def.w), dpi);
  const int h = Win32Dpi::Scale(std::max(0, def.h), dpi);
  if (def.kind == ControlKind::PictureBox) {
    HWND box = Win32PictureBox::Create(parent, x, y, w, h, def.image, id);
    if (box != nullptr) {
      SetWindowLongPtrW(box, GWL_STYLE, GetWindowLongPtrW(box, GWL_STYLE) | WS_CLIPSIBLINGS);
    }
    return box;
  }
  const WindowKind kind = KindOf(def);
  if (kind.className == nullptr) return nullptr;
  const int height = IsCombo(def.kind) ? h + Win32Dpi::Scale(kComboListHeight, dpi) : h;
  return CreateWindowExW(kind.exStyle, kind.className, L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style, x, y, w, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void Win32ControlFactory::Place(const Win32ControlRecord& control, UINT dpi) {
  if (control.hwnd == nullptr) return;
  int height = Win32Dpi::Scale(control.h, dpi);
  if (IsCombo(control.def.kind)) height += Win32Dpi::Scale(kComboListHeight, dpi);
  SetWindowPos(control.hwnd, nullptr, Win32Dpi::Scale(control.x, dpi),
               Win32Dpi::Scale(control.y, dpi), Win32Dpi::Scale(control.w, dpi), height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ControlFactory::ApplyFont(Win32ControlRecord& control, UINT dpi, HFONT defaultFont) {
  if (control.hwnd == nullptr) return;
  HFONT own = FontFor(control.def.font, dpi);
  HFONT before = control.font;
  control.font = own;
  control.base = own != nullptr ? own : defaultFont;
  FitCaption(control);
  if (before != nullptr) DeleteObject(before);
}

void Win32ControlFactory::FitCaption(Win32ControlRecord& control) {
  if (control.hwnd == nullptr || control.base == nullptr) return;
  HFONT shown = control.base;
  HFONT condensed = nullptr;
  const int room = CaptionRoom(control);
  HDC dc = room > 0 ? GetDC(control.hwnd) : nullptr;
  if (dc != nullptr) {
    const HGDIOBJ before = SelectObject(dc, control.base);
    const int width = CaptionWidth(dc, control.caption);
    TEXTMETRICW metrics{};
    LOGFONTW font{};
    if (width > room && GetTextMetricsW(dc, &metrics) &&
        GetObjectW(control.base, sizeof(font), &font) != 0) {
      const int normal = std::max<int>(1, metrics.tmAveCharWidth);
      const int narrowest = std::max(1, normal * kNarrowestStretch / 100);
      // Glyph widths round to whole pixels: narrower still until it fits.
      for (font.lfWidth = std::max(narrowest, normal * room / width);; --font.lfWidth) {
        HFONT candidate = CreateFontIndirectW(&font);
        SelectObject(dc, candidate);
        if (CaptionWidth(dc, control.caption) <= room || font.lfWidth <= narrowest) {
          condensed = candidate;
          break;
        }
        SelectObject(dc, control.base);
        DeleteObject(candidate);
      }
      shown = condensed;
    }
    SelectObject(dc, before);
    ReleaseDC(control.hwnd, dc);
  }
  SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
  if (control.condensed != nullptr) DeleteObject(control.condensed);
  control.condensed = condensed;
}

}  // namespace kalvor
