#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <commdlg.h>
// ShellExecuteW
#include <shellapi.h>

#include <algorithm>
#include <optional>

#include "platform/core/platform_seam.h"
#include "platform/core/wide_text.h"
#include "platform/hotkeys/global_hotkey_service.h"
#include "platform/hotkeys/win32_hotkey_backend.h"
#include "platform/win32/win32_control_factory.h"
#include "platform/win32/win32_control_properties.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_drawing_layer.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_shell.h"

namespace kalvor {

namespace {

constexpr wchar_t kFormClass[] = L"KalvorFormWindow";
constexpr wchar_t kPostClass[] = L"KalvorPlatformPost";
constexpr UINT kDestroyMessage = WM_APP + 1;
// Control ids start above the ids a dialog manager sends for Enter and Escape (IDOK, IDCANCEL).
constexpr int kFirstControlId = 1000;
// A window keeps the size its form gives it: no sizing border, no maximize box.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;
constexpr std::int32_t kShellSuccess = 42;

HWND HwndOf(std::int32_t handle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}

std::int32_t HandleOf(HWND hwnd) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(hwnd));
}

bool IsContainer(ControlKind kind) {
  return kind == ControlKind::TabControl || kind == ControlKind::GroupBox;
}

// Counts a property write: the notifications it causes raise no event.
class QuietScope {
 public:
  explicit QuietScope(int& quiet) : quiet_(quiet) { ++quiet_; }
  ~QuietScope() { --quiet_; }
  QuietScope(const QuietScope&) = delete;
  QuietScope& operator=(const QuietScope&) = delete;

 private:
  int& quiet_;
};

// Whether the control overlaps one of the controls built before it that can show beside it (same
// parent, and on a tab control the same page).
bool OverlapsAny(const Win32ControlRecord& control,
                 const std::vector<const Win32ControlRecord*>& before) {
  const HWND parent = GetParent(control.hwnd);
  const RECT mine{control.x, control.y, control.x + control.w, control.y + control.h};
  return std::any_of(before.begin(), before.end(), [&](const Win32ControlRecord* other) {
    if (GetParent(other->hwnd) != parent) return false;
    if (control.tab != nullptr && std::max(1, other->def.page) != std::max(1, control.def.page)) {
      return false;
    }
    const RECT theirs{other->x, other->y, other->x + other->w, other->y + other->h};
    RECT common;
    return IntersectRect(&common, &mine, &theirs) != FALSE;
  });
}

// The window's outer size in pixels at dpi for an outer size in form pixels: the client area
// the form leaves inside a frame at 96 DPI, scaled, in the frame at dpi.
SIZE OuterPixels(int outerWidth, int outerHeight, UINT dpi) {
  const SIZE formFrame = Win32Dpi::FrameSize(kFormStyle, kFormExStyle, Win32Dpi::kFormDpi);
  const SIZE frame = Win32Dpi::FrameSize(kFormStyle, kFormExStyle, dpi);
  return SIZE{
      Win32Dpi::Scale(std::max(1, outerWidth - static_cast<int>(formFrame.cx)), dpi) + frame.cx,
      Win32Dpi::Scale(std::max(1, outerHeight - static_cast<int>(formFrame.cy)), dpi) + frame.cy};
}

}  // namespace

Win32Platform* Win32Platform::current_ = nullptr;

Win32Platform::Win32Platform(HINSTANCE instance)
    : instance_(instance != nullptr ? instance : GetModuleHandleW(nullptr)) {
  Win32Dpi::MakeProcessAware();
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW form{};
  form.cbSize = sizeof(form);
  form.style = CS_DBLCLKS;
  form.lpfnWndProc = &Win32Platform::FormProcedure;
  form.hInstance = instance_;
  form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kFormClass;
  RegisterClassExW(&form);
  WNDCLASSEXW post{};
  post.cbSize = sizeof(post);
  post.lpfnWndProc = &Win32Platform::PostProcedure;
  post.hInstance = instance_;
  post.lpszClassName = kPostClass;
  RegisterClassExW(&post);
  postWindow_ =
      CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);

  current_ = this;
  SetPlatform(this);
  drawing_ = std::make_unique<Win32DrawingLayer>();
  SetDrawingLayer(drawing_.get());
  // The key goes to the host window of the registration in progress.
  HotkeyService().SetBackendFactory([]() -> std::unique_ptr<HotkeyBackend> {
    return std::make_unique<Win32HotkeyBackend>(
        [] { return current_ != nullptr ? current_->hotkeyHost_ : nullptr; });
  });
}

Win32Platform::~Win32Platform() {
  // The keys go before the windows they were registered on.
  HotkeyService().ReleaseBackend();
  // Windows still loaded (the loop never ran, or a test ended early) go without their events.
  for (const auto& [name, window] : Windows()) {
    auto& record = static_cast<Win32WindowRecord&>(*window);
    Retired gone{record.hwnd, {record.defaultFont}, {record.bigIcon, record.smallIcon}};
    for (auto& [unit, control] : record.controls) {
      gone.objects.insert(gone.objects.end(), {control.font, control.condensed});
    }
    retired_.push_back(std::move(gone));
  }
  DiscardWindows();
  ReleaseRetired();
  if (postWindow_ != nullptr) DestroyWindow(postWindow_);
  SetDrawingLayer(nullptr);
  SetPlatform(nullptr);
  if (current_ == this) current_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Forms and windows

Win32WindowRecord* Win32Platform::FindWindow(std::string_view window) const {
  return static_cast<Win32WindowRecord*>(LoadedWindow(window));
}

Win32WindowRecord* Win32Platform::FindWindow(std::string_view window, std::uint64_t serial) const {
  return static_cast<Win32WindowRecord*>(LoadedWindow(window, serial));
}

const Win32Platform::Target* Win32Platform::TargetOf(HWND hwnd) const {
  return TargetOf(HandleOf(hwnd));
}

Win32ControlRecord* Win32Platform::ControlOf(HWND hwnd) {
  const Target* target = TargetOf(hwnd);
  if (target == nullptr) return nullptr;
  Win32WindowRecord* record = FindWindow(target->window);
  if (record == nullptr) return nullptr;
  auto it = record->controls.find(target->control);
  return it == record->controls.end() ? nullptr : &it->second;
}

std::unique_ptr<FormWindow> Win32Platform::NewWindow() {
  return std::make_unique<Win32WindowRecord>();
}

void Win32Platform::MakeModal(FormWindow& window) {
  auto& built = static_cast<Win32WindowRecord&>(window);
  for (const auto& [otherName, record] : Windows()) {
    auto* other = static_cast<Win32WindowRecord*>(record.get());
    if (other == &built || other->hwnd == nullptr) continue;
    if (IsWindowEnabled(other->hwnd)) {
      EnableWindow(other->hwnd, FALSE);
      built.disabledByModal.push_back(other->hwnd);
    }
  }
}

void Win32Platform::ShowNative(FormWindow& window) {
  HWND hwnd = static_cast<Win32WindowRecord&>(window).hwnd;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
}

bool Win32Platform::BuildNative(FormWindow& window) {
  auto& record = static_cast<Win32WindowRecord&>(window);
  const FormDef& form = record.form;
  const UINT systemDpi = Win32Dpi::ForSystem();
  const SIZE outer = OuterPixels(form.outerWidth, form.outerHeight, systemDpi);
  const bool placed = form.x >= 0 && form.y >= 0;
  HWND hwnd = CreateWindowExW(kFormExStyle, kFormClass, Widen(form.caption).c_str(), kFormStyle,
                              placed ? Win32Dpi::Scale(form.x, systemDpi) : CW_USEDEFAULT,
                              placed ? Win32Dpi::Scale(form.y, systemDpi) : CW_USEDEFAULT, outer.cx,
                              outer.cy, nullptr, nullptr, instance_, nullptr);
  if (hwnd == nullptr) return false;
  record.hwnd = hwnd;
  Attach(hwnd, form.name, form.name);
  record.dpi = Win32Dpi::ForWindow(hwnd);
  const LOGFONTW font = Win32Dpi::MessageFont(record.dpi);
  record.defaultFont = CreateFontIndirectW(&font);
  if (!form.icon.empty()) {
    record.bigIcon = win32_resources::LoadIconFor(form.icon, Win32Dpi::Scale(32, record.dpi));
    record.smallIcon = win32_resources::LoadIconFor(form.icon, Win32Dpi::Scale(16, record.dpi));
    if (record.bigIcon != nullptr) {
      SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(record.bigIcon));
    }
    if (record.smallIcon != nullptr) {
      SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(record.smallIcon));
    }
  }
  BuildControls(record);
  // The monitor the window landed on may have another DPI than the system's.
  if (record.dpi != systemDpi) FitToDpi(record, record.dpi, nullptr);
  return true;
}

void Win32Platform::BuildControls(Win32WindowRecord& record) {
  const std::string name = record.form.name;
  for (const ControlDef& def : record.form.controls) record.controls[def.name].def = def;

  int nextId = kFirstControlId;
  std::vector<const Win32ControlRecord*> built;
  const auto build = [&](const ControlDef& def, HWND parent, HWND tab) {
    Win32ControlRecord& control = record.controls[def.name];
    control.tab = tab;
    Win32ControlFactory::Build(control, parent, nextId++, record.dpi, record.defaultFont);
    if (control.hwnd == nullptr) return;
    // Controls follow one another in the order of the form (the order Tab moves the focus in),
    // except that a control lies above any it overlaps that came before it, as the forms expect.
    SetWindowPos(control.hwnd, OverlapsAny(control, built) ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    built.push_back(&control);
    if (IsContainer(def.kind)) {
      // Tab and arrow keys reach the controls it holds.
      SetWindowLongPtrW(control.hwnd, GWL_EXSTYLE,
                        GetWindowLongPtrW(control.hwnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    }
    Attach(control.hwnd, name, def.name);
    if (control.inner != nullptr) Attach(control.inner, name, def.name);
    if (tab != nullptr) Win32ControlProperties::ApplyVisibility(control);
  };

  // Containers come before what they hold, whatever the order of the form.
  std::vector<const ControlDef*> pending;
  for (const ControlDef& def : record.form.controls) pending.push_back(&def);
  while (!pending.empty()) {
    std::vector<const ControlDef*> waiting;
    for (const ControlDef* def : pending) {
      HWND parent = record.hwnd;
      HWND tab = nullptr;
      if (!def->parent.empty() && def->parent != name) {
        auto container = record.controls.find(def->parent);
        const bool known = container != record.controls.end() && container->first != def->name;
        if (known && container->second.hwnd != nullptr) {
          parent = container->second.hwnd;
          if (container->second.def.kind == ControlKind::TabControl) tab = parent;
        } else if (known && std::any_of(pending.begin(), pending.end(), [&](const ControlDef* p) {
                     return p->name == def->parent;
                   })) {
          waiting.push_back(def);
          continue;
        }
      }
      build(*def, parent, tab);
    }
    if (waiting.size() == pending.size()) {
      // Containers that never get a window: place what they hold on the window.
      for (const ControlDef* def : waiting) build(*def, record.hwnd, nullptr);
      break;
    }
    pending = std::move(waiting);
  }
}

void Win32Platform::Attach(HWND hwnd, const std::string& window, const std::string& control) {
  AddTarget(HandleOf(hwnd), window, control);
  if (window != control) {
    SetWindowSubclass(hwnd, &Win32Platform::ControlProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
  }
}

void Win32Platform::FitToDpi(Win32WindowRecord& record, UINT dpi, const RECT* suggested) {
  record.dpi = dpi;
  HFONT old = record.defaultFont;
  const LOGFONTW font = Win32Dpi::MessageFont(dpi);
  record.defaultFont = CreateFontIndirectW(&font);
  for (auto& [name, control] : record.controls) {
    Win32ControlFactory::Place(control, dpi);
    Win32ControlFactory::ApplyFont(control, dpi, record.defaultFont);
  }
  if (old != nullptr) DeleteObject(old);
  const SIZE outer = OuterPixels(record.form.outerWidth, record.form.outerHeight, dpi);
  if (suggested != nullptr) {
    SetWindowPos(record.hwnd, nullptr, suggested->left, suggested->top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(record.hwnd, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32Platform::UpdateTabPages(Win32WindowRecord& record, HWND tab) {
  for (auto& [name, control] : record.controls) {
    if (control.tab == tab) Win32ControlProperties::ApplyVisibility(control);
  }
}

void Win32Platform::BringForward(FormWindow& window) {
  HWND hwnd = static_cast<Win32WindowRecord&>(window).hwnd;
  if (hwnd == nullptr) return;
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  if (IsWindowVisible(hwnd)) {
    BringWindowToTop(hwnd);
    SetForegroundWindow(hwnd);
  }
}

void Win32Platform::PostDestruction(const std::string& window, std::uint64_t serial) {
  pendingDestructions_[serial] = window;
  PostMessageW(postWindow_, kDestroyMessage, static_cast<WPARAM>(serial), 0);
}

void Win32Platform::DestroyPosted(std::uint64_t serial) {
  auto pending = pendingDestructions_.find(serial);
  if (pending == pendingDestructions_.end()) return;
  const std::string window = pending->second;
  pendingDestructions_.erase(pending);
  Destroy(window, serial);
}

void Win32Platform::RetireNative(FormWindow& window) {
  auto* gone = static_cast<Win32WindowRecord*>(&window);
  // The windows a modal window disabled take input again before it goes, so one of them is
  // activated in its place.
  for (HWND other : gone->disabledByModal) {
    const Target* target = TargetOf(other);
    Win32WindowRecord* owner = target != nullptr ? FindWindow(target->window) : nullptr;
    if (owner != nullptr && owner->hwnd == other && !owner->disabled) EnableWindow(other, TRUE);
  }
  Retired retired{gone->hwnd, {gone->defaultFont}, {gone->bigIcon, gone->smallIcon}};
  for (auto& [name, control] : gone->controls) {
    retired.objects.insert(retired.objects.end(), {control.font, control.condensed});
  }
  if (gone->hwnd != nullptr) ShowWindow(gone->hwnd, SW_HIDE);
  retired_.push_back(std::move(retired));
}

void Win32Platform::ReleaseRetired() {
  std::vector<Retired> retired;
  retired.swap(retired_);
  for (const Retired& gone : retired) {
    if (gone.hwnd != nullptr) DestroyWindow(gone.hwnd);
    for (HGDIOBJ object : gone.objects) {
      if (object != nullptr) DeleteObject(object);
    }
    for (HICON icon : gone.icons) {
      if (icon != nullptr) DestroyIcon(icon);
    }
  }
}

void Win32Platform::RunUntil(const std::function<bool()>& done) {
  MSG message;
  while (!done()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (got < 0) return;
    // Tab and the arrow keys move between the controls of a window, as in a dialog.
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    const bool dialog =
        root != nullptr && TargetOf(root) != nullptr && IsDialogMessageW(root, &message);
    if (!dialog) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (HandlerDepth() == 0) ReleaseRetired();
  }
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CALLBACK Win32Platform::FormProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (current_ == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return current_->FormMessage(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Platform::PostProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == kDestroyMessage && current_ != nullptr) {
    current_->DestroyPosted(static_cast<std::uint64_t>(wParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Platform::ControlProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  auto* self = reinterpret_cast<Win32Platform*>(data);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      self->MouseMessage(hwnd, message);
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // A group box or tab control passes on what the controls it holds tell their parent.
      const Win32ControlRecord* container = self->ControlOf(hwnd);
      LRESULT result = 0;
      if (container != nullptr && IsContainer(container->def.kind) &&
          self->Notification(message, wParam, lParam, result)) {
        return result;
      }
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Win32Platform::ControlProcedure, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT Win32Platform::FormMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (Notification(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CLOSE: {
      // The platform decides when the window goes.
      const Target* target = TargetOf(hwnd);
      Win32WindowRecord* record = target != nullptr ? FindWindow(target->window) : nullptr;
      if (record != nullptr && record->hwnd == hwnd) {
        CloseRequested(record->form.name, record->serial);
      }
      return 0;
    }
    case WM_DPICHANGED: {
      const Target* target = TargetOf(hwnd);
      Win32WindowRecord* record = target != nullptr ? FindWindow(target->window) : nullptr;
      if (record != nullptr && record->hwnd == hwnd) {
        FitToDpi(*record, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      MouseMessage(hwnd, message);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool Win32Platform::Notification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_COMMAND: {
      HWND from = reinterpret_cast<HWND>(lParam);
      Win32ControlRecord* control = from != nullptr ? ControlOf(from) : nullptr;
      if (control == nullptr || from != control->hwnd || quiet_ > 0) return false;
      const ControlKind kind = control->def.kind;
      const WORD code = HIWORD(wParam);
      const Target target = *TargetOf(from);
      if ((kind == ControlKind::Button || kind == ControlKind::CheckBox) && code == BN_CLICKED) {
        Raise(target.window, target.control, event::kClick);
        return true;
      }
      if ((kind == ControlKind::ComboList || kind == ControlKind::ComboEdit) &&
          code == CBN_SELCHANGE) {
        if (kind == ControlKind::ComboEdit) {
          // The field shows the pick only after this notification: the handler reads it now.
          const QuietScope quiet(quiet_);
          Win32ControlProperties::SetInt(*control, Prop::ListIndex,
                                         Win32ControlProperties::GetInt(*control, Prop::ListIndex),
                                         Win32Dpi::kFormDpi);
        }
        Raise(target.window, target.control, event::kSelected);
        return true;
      }
      return false;
    }
    case WM_HSCROLL: {
      HWND from = reinterpret_cast<HWND>(lParam);
      Win32ControlRecord* control = from != nullptr ? ControlOf(from) : nullptr;
      if (control == nullptr || control->def.kind != ControlKind::Slider) return false;
      const auto position = static_cast<int>(SendMessageW(from, TBM_GETPOS, 0, 0));
      // Every move the user makes, once per new position.
      if (quiet_ == 0 && position != control->lastPosition) {
        control->lastPosition = position;
        const Target target = *TargetOf(from);
        Raise(target.window, target.control, event::kMoved);
      }
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr || header->code != static_cast<UINT>(TCN_SELCHANGE)) return false;
      const Target* target = TargetOf(header->hwndFrom);
      Win32WindowRecord* record = target != nullptr ? FindWindow(target->window) : nullptr;
      if (record == nullptr) return false;
      UpdateTabPages(*record, header->hwndFrom);
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const Win32ControlRecord* control = ControlOf(reinterpret_cast<HWND>(lParam));
      if (control == nullptr) return false;
      auto* dc = reinterpret_cast<HDC>(wParam);
      const bool coloured = control->def.textColor != -1;
      if (coloured) SetTextColor(dc, static_cast<COLORREF>(control->def.textColor));
      if (control->def.kind == ControlKind::TransparentLabel) {
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
        return true;
      }
      if (!coloured) return false;
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    default:
      return false;
  }
}

void Win32Platform::MouseMessage(HWND hwnd, UINT message) {
  int code = event::kMouseMove;
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) code = event::kLeftDown;
  if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) code = event::kRightDown;
  const Target* target = TargetOf(hwnd);
  if (target == nullptr || !IsWindowEnabled(hwnd)) return;
  const Target copy = *target;  // the handler may unload the window
  Raise(copy.window, copy.control, code);
}

// ---------------------------------------------------------------------------------------------
// Properties

FormControl* Win32Platform::FindControl(FormWindow& window, std::string_view control) {
  auto& controls = static_cast<Win32WindowRecord&>(window).controls;
  auto it = controls.find(control);
  return it == controls.end() ? nullptr : &it->second;
}

bool Win32Platform::HasNative(const FormControl& control) const {
  return static_cast<const Win32ControlRecord&>(control).hwnd != nullptr;
}

std::int32_t Win32Platform::NativeHandle(const FormWindow& window,
                                         const FormControl* control) const {
  return HandleOf(control == nullptr ? static_cast<const Win32WindowRecord&>(window).hwnd
                                     : static_cast<const Win32ControlRecord*>(control)->hwnd);
}

std::int32_t Win32Platform::ControlInt(FormWindow& /*window*/, FormControl& control, Prop prop) {
  return Win32ControlProperties::GetInt(static_cast<Win32ControlRecord&>(control), prop);
}

void Win32Platform::SetControlInt(FormWindow& window, FormControl& control, Prop prop,
                                  std::int32_t value) {
  const QuietScope quiet(quiet_);
  Win32ControlProperties::SetInt(static_cast<Win32ControlRecord&>(control), prop, value,
                                 static_cast<Win32WindowRecord&>(window).dpi);
}

std::string Win32Platform::ControlText(FormWindow& /*window*/, FormControl& control, Prop prop) {
  return Win32ControlProperties::GetText(static_cast<Win32ControlRecord&>(control), prop);
}

void Win32Platform::SetControlText(FormWindow& window, FormControl& control, Prop prop,
                                   std::string_view value) {
  const QuietScope quiet(quiet_);
  Win32ControlProperties::SetText(static_cast<Win32ControlRecord&>(control), prop, value,
                                  static_cast<Win32WindowRecord&>(window).dpi);
}

std::int32_t Win32Platform::AddControlItem(FormControl& control, std::string_view text,
                                           std::int32_t data) {
  const QuietScope quiet(quiet_);
  return Win32ControlProperties::AddItem(static_cast<Win32ControlRecord&>(control), text, data);
}

void Win32Platform::ShowCaption(FormWindow& window, std::string_view caption) {
  const QuietScope quiet(quiet_);
  SetWindowTextW(static_cast<Win32WindowRecord&>(window).hwnd, Widen(caption).c_str());
}

std::int32_t Win32Platform::NativeWindowInt(FormWindow& record, Prop prop) {
  const auto& window = static_cast<Win32WindowRecord&>(record);
  RECT frame{};
  GetWindowRect(window.hwnd, &frame);
  switch (prop) {
    case Prop::Left:
      return Win32Dpi::Unscale(frame.left, window.dpi);
    case Prop::Top:
      return Win32Dpi::Unscale(frame.top, window.dpi);
    case Prop::Width:
      return window.form.outerWidth;
    case Prop::Height:
      return window.form.outerHeight;
    case Prop::Disable:
      return window.disabled ? 1 : 0;
    default:
      return 0;
  }
}

void Win32Platform::SetNativeWindowInt(FormWindow& record, Prop prop, std::int32_t value) {
  auto& window = static_cast<Win32WindowRecord&>(record);
  const QuietScope quiet(quiet_);
  HWND hwnd = window.hwnd;
  RECT frame{};
  GetWindowRect(hwnd, &frame);
  constexpr UINT kKeep = SWP_NOZORDER | SWP_NOACTIVATE;
  switch (prop) {
    case Prop::Left:
      SetWindowPos(hwnd, nullptr, Win32Dpi::Scale(value, window.dpi), frame.top, 0, 0,
                   kKeep | SWP_NOSIZE);
      return;
    case Prop::Top:
      SetWindowPos(hwnd, nullptr, frame.left, Win32Dpi::Scale(value, window.dpi), 0, 0,
                   kKeep | SWP_NOSIZE);
      return;
    case Prop::Width:
    case Prop::Height: {
      (prop == Prop::Width ? window.form.outerWidth : window.form.outerHeight) = std::max(1, value);
      const SIZE outer = OuterPixels(window.form.outerWidth, window.form.outerHeight, window.dpi);
      SetWindowPos(hwnd, nullptr, 0, 0, outer.cx, outer.cy, kKeep | SWP_NOMOVE);
      return;
    }
    case Prop::Visible:
      window.visible = value != 0;
      ShowWindow(hwnd, window.visible ? SW_SHOW : SW_HIDE);
      return;
    case Prop::Disable:
      window.disabled = value != 0;
      EnableWindow(hwnd, !window.disabled);
      return;
    case Prop::TopMost:
      SetTopMost(window, value == 1);
      return;
    default:
      return;
  }
}

void Win32Platform::SetTopMost(Win32WindowRecord& window, bool on) {
  window.topMost = on;
  SetWindowPos(window.hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND Win32Platform::WindowForHandle(std::int32_t handle) const {
  HWND hwnd = HwndOf(handle);
  return handle != 0 && TargetOf(handle) != nullptr ? hwnd : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Dialogs and the shell

std::optional<std::string> Win32Platform::ChooseFile(FormWindow& window,
                                                     const FormControl& dialog) {
  // The file name the dialog starts with: a folder opens there, a file is proposed.
  std::wstring file(32768, L'\0');
  std::wstring folder;
  const std::wstring start = WidePath(dialog.storedText);
  const DWORD attributes =
      start.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(start.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    folder = start;
  } else {
    start.copy(file.data(), std::min(start.size(), file.size() - 1));
  }
  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = static_cast<Win32WindowRecord&>(window).hwnd;
  request.lpstrFile = file.data();
  request.nMaxFile = static_cast<DWORD>(file.size());
  request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  // The program's folder stays the current folder.
  request.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&request)) return std::nullopt;
  file.resize(wcsnlen(file.c_str(), file.size()));
  return Narrow(file);
}

std::int32_t Win32Platform::ShowNativeMessageBox(FormWindow* owner, std::string_view text,
                                                 std::string_view title, std::int32_t style) {
  HWND parent = owner != nullptr ? static_cast<Win32WindowRecord*>(owner)->hwnd : nullptr;
  return Win32MessageBox::Show(parent, text, title, style);
}

void Win32Platform::OpenNativeUrl(std::string_view address) {
  ShellExecuteW(nullptr, L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::int32_t Win32Platform::ExecuteWithVerb(std::int32_t verb, std::string_view target,
                                            std::string_view parameters, std::string_view folder,
                                            std::int32_t show) {
  PlatformSeam& seam = PlatformSeam::Instance();
  if (seam.Armed()) {
    seam.RecordOpenedAddress(std::string(target));
    return kShellSuccess;
  }
  return Win32Shell::Execute(verb, target, parameters, folder, show);
}

// ---------------------------------------------------------------------------------------------
// Global hotkeys

std::int32_t Win32Platform::RegisterGlobalHotkey(std::int32_t hostHandle,
                                                 std::int32_t receiverHandle,
                                                 std::int32_t modifiers, std::int32_t keyCode) {
  hotkeyHost_ = HwndOf(hostHandle);
  return HotkeyService().Register(hostHandle, receiverHandle, modifiers, keyCode);
}

bool Win32Platform::UnregisterGlobalHotkey(std::int32_t hostHandle, std::int32_t id) {
  hotkeyHost_ = HwndOf(hostHandle);
  return HotkeyService().Unregister(hostHandle, id);
}

}  // namespace kalvor
