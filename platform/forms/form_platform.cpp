#include "platform/forms/form_platform.h"

namespace kalvor {

namespace {

constexpr std::string_view kWindowNotLoaded = "未载入欲访问窗口组件所在的窗口";

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

}  // namespace kalvor
