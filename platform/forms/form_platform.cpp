#include "platform/forms/form_platform.h"

#include "platform/core/platform_seam.h"

namespace kalvor {

namespace {

constexpr std::string_view kWindowNotLoaded = "未载入欲访问窗口组件所在的窗口";
constexpr std::string_view kNoNativeWindow = "指定窗口尚未载入";
constexpr std::string_view kDefaultTitle = "信息：";

}  // namespace

FormPlatform::FormPlatform() = default;
FormPlatform::~FormPlatform() = default;

void FormPlatform::RegisterForm(const FormDef& form) {
  forms_[form.name] = form;
}

void FormPlatform::BindHandler(std::string_view window, std::string_view control, int event,
                               Handler handler) {
  HandlerKey key{std::string(window), std::string(control), event};
  if (handler) {
    handlers_[std::move(key)] = std::move(handler);
  } else {
    handlers_.erase(key);
  }
}

bool FormPlatform::IsWindowLoaded(std::string_view window) const {
  return LoadedWindow(window) != nullptr;
}

FormWindow* FormPlatform::LoadedWindow(std::string_view window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

FormWindow* FormPlatform::LoadedWindow(std::string_view window, std::uint64_t serial) const {
  FormWindow* record = LoadedWindow(window);
  return record != nullptr && record->serial == serial ? record : nullptr;
}

FormWindow& FormPlatform::WindowForProperty(std::string_view window) {
  FormWindow* record = LoadedWindow(window);
  if (record == nullptr) FatalError(kWindowNotLoaded);
  return *record;
}

FormControl* FormPlatform::ControlForProperty(FormWindow& window, std::string_view control,
                                              Prop prop) {
  if (control == window.form.name) return nullptr;
  FormControl* record = FindControl(window, control);
  if (record == nullptr) FatalError(kNoNativeWindow);
  // The file dialog has no window of its own; its file name lives beside it.
  const bool held = record->def.kind == ControlKind::FileDialog && prop == Prop::FileName;
  if (!HasNative(*record) && prop >= Prop::Caption && !held) FatalError(kNoNativeWindow);
  return record;
}

void FormPlatform::DiscardWindows() {
  windows_.clear();
  targets_.clear();
}

void FormPlatform::AddTarget(std::int32_t handle, const std::string& window,
                             const std::string& control) {
  targets_[handle] = Target{window, control};
}

const FormPlatform::Target* FormPlatform::TargetOf(std::int32_t handle) const {
  auto it = targets_.find(handle);
  return it == targets_.end() ? nullptr : &it->second;
}

bool FormPlatform::LoadWindow(std::string_view window, bool modal) {
  if (FormWindow* loaded = LoadedWindow(window)) {
    BringForward(*loaded);
    return true;
  }
  auto form = forms_.find(window);
  if (form == forms_.end()) return false;

  const std::string name(window);
  const std::uint64_t serial = nextSerial_++;
  {
    std::unique_ptr<FormWindow> record = NewWindow();
    record->form = form->second;
    record->serial = serial;
    record->visible = record->form.visible;
    FormWindow& built = *windows_.emplace(name, std::move(record)).first->second;
    if (!BuildNative(built)) {
      windows_.erase(name);
      return false;
    }
    if (modal) MakeModal(built);
  }

  // The window is shown after its created handler, so a half-built window never flashes up.
  Raise(name, name, event::kCreated);
  FormWindow* record = LoadedWindow(name, serial);
  if (record == nullptr) return false;
  if (record->visible && !record->closing) ShowNative(*record);

  if (modal) {
    HandlerScope busy(*this);
    RunUntil([this, &name, serial] { return LoadedWindow(name, serial) == nullptr; });
  }
  if (handlerDepth_ == 0) ReleaseRetired();
  return true;
}

void FormPlatform::UnloadWindow(std::string_view window) {
  if (FormWindow* record = LoadedWindow(window)) RequestDestruction(*record);
}

void FormPlatform::RequestDestruction(FormWindow& window) {
  if (window.closing) return;
  window.closing = true;
  PostDestruction(window.form.name, window.serial);
}

void FormPlatform::CloseRequested(const std::string& window, std::uint64_t serial) {
  FormWindow* record = LoadedWindow(window, serial);
  if (record == nullptr || record->closing) return;
  Raise(window, window, event::kCloseRequest);
  if ((record = LoadedWindow(window, serial)) != nullptr) RequestDestruction(*record);
}

void FormPlatform::Destroy(const std::string& window, std::uint64_t serial) {
  if (LoadedWindow(window, serial) == nullptr) return;
  // The window is still loaded while its destroyed handler runs: the handler may read its
  // properties and handles.
  Raise(window, window, event::kDestroyed);
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second->serial != serial) return;
  std::unique_ptr<FormWindow> gone = std::move(it->second);
  windows_.erase(it);
  std::erase_if(targets_, [&window](const auto& entry) { return entry.second.window == window; });
  RetireNative(*gone);
}

void FormPlatform::Raise(const std::string& window, const std::string& control, int event,
                         std::int32_t first, std::int32_t second) {
  auto it = handlers_.find(HandlerKey{window, control, event});
  if (it == handlers_.end()) return;
  const Handler handler = it->second;  // the handler may bind a new one in its place
  {
    HandlerScope running(*this);
    handler(EventArgs{window, control, event, first, second});
  }
  HandlerReturned();
}

int FormPlatform::RunEventLoop() {
  if (!windows_.empty()) RunUntil([this] { return windows_.empty(); });
  ReleaseRetired();
  EventLoopEnded();
  RunExitCleanup();
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Properties

std::int32_t FormPlatform::GetInt(std::string_view window, std::string_view control, Prop prop) {
  FormWindow& record = WindowForProperty(window);
  if (FormControl* c = ControlForProperty(record, control, prop)) {
    return ControlInt(record, *c, prop);
  }
  return WindowInt(record, prop);
}

void FormPlatform::SetInt(std::string_view window, std::string_view control, Prop prop,
                          std::int32_t value) {
  FormWindow& record = WindowForProperty(window);
  if (FormControl* c = ControlForProperty(record, control, prop)) {
    SetControlInt(record, *c, prop, value);
  } else {
    SetWindowInt(record, prop, value);
  }
}

std::string FormPlatform::GetText(std::string_view window, std::string_view control, Prop prop) {
  FormWindow& record = WindowForProperty(window);
  if (FormControl* c = ControlForProperty(record, control, prop)) {
    return ControlText(record, *c, prop);
  }
  if (IsNumericProperty(prop)) return NumberToText(WindowInt(record, prop));
  if (prop == Prop::Tag) return record.tag;
  if (prop == Prop::Caption || prop == Prop::Text) return record.form.caption;
  return {};
}

void FormPlatform::SetText(std::string_view window, std::string_view control, Prop prop,
                           std::string_view value) {
  FormWindow& record = WindowForProperty(window);
  if (FormControl* c = ControlForProperty(record, control, prop)) {
    SetControlText(record, *c, prop, value);
  } else if (IsNumericProperty(prop)) {
    SetWindowInt(record, prop, TruncateToInt(TextToNumber(value)));
  } else if (prop == Prop::Tag) {
    record.tag = std::string(value);
  } else if (prop == Prop::Caption || prop == Prop::Text) {
    record.form.caption = std::string(value);
    ShowCaption(record, value);
  }
}

std::int32_t FormPlatform::WindowInt(FormWindow& window, Prop prop) {
  switch (prop) {
    case Prop::Left:
    case Prop::Top:
    case Prop::Width:
    case Prop::Height:
    case Prop::Disable:
      return NativeWindowInt(window, prop);
    case Prop::Visible:
      return window.visible ? 1 : 0;
    case Prop::MousePointer:
      return window.mousePointer;
    case Prop::TopMost:
      return window.topMost ? 1 : 0;
    case Prop::ListIndex:
      return -1;
    case Prop::Tag:
    case Prop::Caption:
    case Prop::Text:
      return TruncateToInt(TextToNumber(GetText(window.form.name, window.form.name, prop)));
    default:
      return 0;
  }
}

void FormPlatform::SetWindowInt(FormWindow& window, Prop prop, std::int32_t value) {
  switch (prop) {
    case Prop::Left:
    case Prop::Top:
    case Prop::Width:
    case Prop::Height:
    case Prop::Visible:
    case Prop::Disable:
    case Prop::TopMost:
      SetNativeWindowInt(window, prop, value);
      return;
    case Prop::MousePointer:
      window.mousePointer = value;
      return;
    case Prop::Tag:
    case Prop::Caption:
    case Prop::Text:
      SetText(window.form.name, window.form.name, prop, NumberToText(value));
      return;
    default:
      return;
  }
}

std::int32_t FormPlatform::GetWindowHandle(std::string_view window, std::string_view control) {
  FormWindow* record = LoadedWindow(window);
  if (record == nullptr) return 0;
  if (control == record->form.name) return NativeHandle(*record, nullptr);
  const FormControl* c = FindControl(*record, control);
  return c == nullptr ? 0 : NativeHandle(*record, c);
}

std::int32_t FormPlatform::AddComboItem(std::string_view window, std::string_view control,
                                        std::string_view text, std::int32_t data) {
  FormWindow& record = WindowForProperty(window);
  FormControl* c = ControlForProperty(record, control, Prop::ListIndex);
  return c == nullptr ? -1 : AddControlItem(*c, text, data);
}

void FormPlatform::RaiseFeedback(std::int32_t receiverHandle, std::int32_t first,
                                 std::int32_t second) {
  const Target* owner = TargetOf(receiverHandle);
  if (owner == nullptr) return;
  const std::string window = owner->window;
  const std::string control = owner->control;
  FormWindow* record = LoadedWindow(window);
  const FormControl* c = record != nullptr ? FindControl(*record, control) : nullptr;
  // Only the control's own handle (not the edit field inside a combo box) takes feedback.
  if (c == nullptr || NativeHandle(*record, c) != receiverHandle) return;
  if (c->def.kind != ControlKind::Label && c->def.kind != ControlKind::TransparentLabel) return;
  Raise(window, control, event::kFeedback, first, second);
}

// ---------------------------------------------------------------------------------------------
// Dialogs and the shell

bool FormPlatform::RunFileDialog(std::string_view window, std::string_view control) {
  FormWindow& record = WindowForProperty(window);
  FormControl* dialog = ControlForProperty(record, control, Prop::FileName);
  if (dialog == nullptr || dialog->def.kind != ControlKind::FileDialog) return false;

  PlatformSeam& seam = PlatformSeam::Instance();
  if (seam.Armed()) {
    std::optional<std::string> answer = seam.TakeFileDialogAnswer();
    if (!answer) return false;
    dialog->storedText = *answer;
    return true;
  }

  const std::string name(window);
  const std::string unit(control);
  const std::uint64_t serial = record.serial;
  std::optional<std::string> chosen;
  {
    HandlerScope busy(*this);
    chosen = ChooseFile(record, *dialog);
  }
  HandlerReturned();
  if (!chosen) return false;
  // The window may have gone while the dialog was open.
  if (FormWindow* after = LoadedWindow(name, serial)) {
    if (FormControl* stored = FindControl(*after, unit)) stored->storedText = *chosen;
  }
  return true;
}

std::int32_t FormPlatform::ShowMessageBox(std::string_view text, std::int32_t style,
                                          std::string_view title, std::string_view parentWindow) {
  const std::string shownTitle(title.empty() ? kDefaultTitle : title);
  PlatformSeam& seam = PlatformSeam::Instance();
  if (seam.Armed()) {
    return seam.TakeMessageBoxAnswer(ShownMessage{std::string(text), shownTitle, style});
  }
  FormWindow* owner = parentWindow.empty() ? nullptr : LoadedWindow(parentWindow);
  std::int32_t answer = 0;
  {
    HandlerScope busy(*this);
    answer = ShowNativeMessageBox(owner, text, shownTitle, style);
  }
  HandlerReturned();
  return answer;
}

void FormPlatform::OpenUrl(std::string_view address) {
  PlatformSeam& seam = PlatformSeam::Instance();
  if (seam.Armed()) {
    seam.RecordOpenedAddress(std::string(address));
    return;
  }
  OpenNativeUrl(address);
}

}  // namespace kalvor
