#include "platform/qt/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <optional>

#include "platform/core/platform_seam.h"
#include "platform/hotkeys/desktop_hotkey_backend.h"
#include "platform/hotkeys/global_hotkey_service.h"
#include "platform/qt/qt_control_factory.h"
#include "platform/qt/qt_control_properties.h"
#include "platform/qt/qt_drawing_layer.h"
#include "platform/qt/qt_event_router.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_tab_children.h"

namespace kalvor {

namespace {

constexpr std::string_view kNoNativeWindow = "指定窗口尚未载入";
constexpr std::string_view kDefaultTitle = "信息：";

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The forms ask for the Windows font "宋体"; it becomes an installed Chinese font.
void SubstituteChineseFonts() {
  QString chinese = QStringLiteral("WenQuanYi Micro Hei");
  if (!QFontDatabase::families().contains(chinese)) {
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    if (families.isEmpty()) return;
    chinese = families.front();
  }
  for (const char* family : {"宋体", "新宋体", "SimSun", "NSimSun"}) {
    QFont::insertSubstitution(QString::fromUtf8(family), chinese);
  }
}

// Puts a window into the topmost layer or takes it out, without hiding, moving or activating
// it: a window that exists on the screen gets the new flag from the window system directly
// (QWidget::setWindowFlags would recreate and hide it).
void ApplyStaysOnTop(QWidget* widget, bool on) {
  Qt::WindowFlags flags = widget->windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, on);
  if (flags == widget->windowFlags()) return;
  if (QWindow* window = widget->windowHandle()) {
    widget->overrideWindowFlags(flags);
    window->setFlags(flags);
  } else {
    widget->setWindowFlags(flags);
  }
}

}  // namespace

QtPlatform::QtPlatform(int& argc, char** argv) {
  if (QCoreApplication::instance() == nullptr) {
    ownedApp_ = std::make_unique<QApplication>(argc, argv);
  }
  // The program ends when no window is loaded, not when the last visible one closes.
  QApplication::setQuitOnLastWindowClosed(false);
  // Ties the windows to the menu entry, so the task bar shows the program's name and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.kalvor.Kalvor"));
  SubstituteChineseFonts();
  // The forms' font for everything the program shows, message boxes and file dialogs included,
  // as on the desktop the forms were drawn for.
  QApplication::setFont(QtControlFactory::DefaultFont());
  router_ =
      std::make_unique<QtEventRouter>([this](const std::string& window, const std::string& control,
                                             int event) { Raise(window, control, event); });
  SetPlatform(this);
  InstallQtDrawingLayer([this](std::int32_t handle) { return WidgetForHandle(handle); });
}

QtPlatform::~QtPlatform() {
  // Windows still loaded (the loop never ran, or a test ended early) go without their events.
  for (const auto& [name, record] : Windows()) {
    auto& window = static_cast<QtWindowRecord&>(*record);
    if (window.widget) retired_.emplace_back(window.widget.data());
  }
  for (const QPointer<QWidget>& widget : retired_) delete widget.data();
  retired_.clear();
  DiscardWindows();
  router_.reset();
  // The hotkey backend may hold a desktop connection that needs the application to close.
  DesktopHotkeyService().ReleaseBackend();
  SetDrawingLayer(nullptr);
  SetPlatform(nullptr);
  ownedApp_.reset();
}

// ---------------------------------------------------------------------------------------------
// Forms and windows

QtWindowRecord* QtPlatform::FindWindow(std::string_view window) const {
  return static_cast<QtWindowRecord*>(LoadedWindow(window));
}

QtWindowRecord* QtPlatform::FindWindow(std::string_view window, std::uint64_t serial) const {
  return static_cast<QtWindowRecord*>(LoadedWindow(window, serial));
}

std::unique_ptr<FormWindow> QtPlatform::NewWindow() {
  return std::make_unique<QtWindowRecord>();
}

void QtPlatform::MakeModal(FormWindow& window) {
  static_cast<QtWindowRecord&>(window).widget->setWindowModality(Qt::ApplicationModal);
}

void QtPlatform::ShowNative(FormWindow& window) {
  static_cast<QtWindowRecord&>(window).widget->show();
}

bool QtPlatform::BuildNative(FormWindow& built) {
  auto& record = static_cast<QtWindowRecord&>(built);
  const FormDef& form = record.form;
  const std::string name = form.name;
  const std::uint64_t serial = record.serial;

  auto* window = new QtFormWindow(QSize(form.outerWidth, form.outerHeight), ToQt(form.caption));
  record.widget = window;
  window->setObjectName(ToQt(name));
  if (!form.icon.empty()) window->setWindowIcon(QIcon(ToQt(form.icon)));
  if (form.x >= 0 && form.y >= 0) window->move(form.x, form.y);
  window->SetCloseRequestHandler([this, name, serial] { CloseRequested(name, serial); });
  record.handle = NewHandle(name, name);
  router_->Attach(window, name, name);

  for (const ControlDef& def : form.controls) {
    QtControlRecord& control = record.controls[def.name];
    control.def = def;
  }

  const QtControlFactory factory(
      [this, name](const std::string& control, int event) { Raise(name, control, event); });
  // Containers come before what they hold, whatever the order of the form.
  std::vector<const ControlDef*> pending;
  for (const ControlDef& def : form.controls) pending.push_back(&def);
  while (!pending.empty()) {
    std::vector<const ControlDef*> waiting;
    for (const ControlDef* def : pending) {
      QWidget* parent = window;
      if (!def->parent.empty() && def->parent != name) {
        auto container = record.controls.find(def->parent);
        const bool known = container != record.controls.end() && container->first != def->name;
        if (known && container->second.widget) {
          parent = container->second.widget;
        } else if (known && std::any_of(pending.begin(), pending.end(), [&](const ControlDef* p) {
                     return p->name == def->parent;
                   })) {
          waiting.push_back(def);
          continue;
        }
      }
      QtControlRecord& control = record.controls[def->name];
      factory.Build(control, parent);
      if (!control.widget) continue;
      if (auto* tab = qobject_cast<QTabWidget*>(parent)) {
        QtTabChildren::Adopt(tab, control.widget, std::max(1, def->page));
      }
      control.handle = NewHandle(name, def->name);
      router_->Attach(control.widget, name, def->name);
    }
    if (waiting.size() == pending.size()) {
      // Containers that never get a widget: place what they hold on the window.
      for (const ControlDef* def : waiting) {
        QtControlRecord& control = record.controls[def->name];
        factory.Build(control, window);
        if (!control.widget) continue;
        control.handle = NewHandle(name, def->name);
        router_->Attach(control.widget, name, def->name);
      }
      break;
    }
    pending = std::move(waiting);
  }
  return true;
}

std::int32_t QtPlatform::NewHandle(const std::string& window, const std::string& control) {
  const std::int32_t handle = nextHandle_++;
  AddTarget(handle, window, control);
  return handle;
}

void QtPlatform::BringForward(FormWindow& record) {
  QtFormWindow* window = static_cast<QtWindowRecord&>(record).widget;
  if (window == nullptr) return;
  if (window->isMinimized()) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  }
  if (window->isVisible()) {
    window->raise();
    window->activateWindow();
  }
}

void QtPlatform::PostDestruction(const std::string& window, std::uint64_t serial) {
  QMetaObject::invokeMethod(
      router_.get(), [this, window, serial] { Destroy(window, serial); }, Qt::QueuedConnection);
}

void QtPlatform::RetireNative(FormWindow& record) {
  auto& gone = static_cast<QtWindowRecord&>(record);
  if (gone.widget) {
    router_->Detach(gone.widget);
    gone.widget->hide();
    retired_.emplace_back(gone.widget.data());
  }
  if (HandlerDepth() == 0) ReleaseRetired();
  // The loops waiting for this window's end, or for the last window's, stop.
  for (const Wait& wait : waits_) {
    if ((*wait.done)()) wait.loop->quit();
  }
}

void QtPlatform::ReleaseRetired() {
  std::vector<QPointer<QWidget>> retired;
  retired.swap(retired_);
  for (const QPointer<QWidget>& widget : retired) {
    if (widget) widget->deleteLater();
  }
}

void QtPlatform::HandlerReturned() {
  if (HandlerDepth() == 0 && !retired_.empty()) ReleaseRetired();
}

void QtPlatform::RunUntil(const std::function<bool()>& done) {
  if (done()) return;
  QEventLoop loop;
  waits_.push_back(Wait{&loop, &done});
  loop.exec();
  waits_.pop_back();
}

void QtPlatform::EventLoopEnded() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---------------------------------------------------------------------------------------------
// Properties

QtWindowRecord& QtPlatform::WindowForProperty(std::string_view window) {
  return static_cast<QtWindowRecord&>(FormPlatform::WindowForProperty(window));
}

QtControlRecord* QtPlatform::ControlForProperty(QtWindowRecord& window, std::string_view control,
                                                Prop prop) {
  if (control == window.form.name) return nullptr;
  auto it = window.controls.find(control);
  if (it == window.controls.end()) FatalError(kNoNativeWindow);
  QtControlRecord& record = it->second;
  // The file dialog has no window of its own; its file name lives beside it.
  const bool held = record.def.kind == ControlKind::FileDialog && prop == Prop::FileName;
  if (!record.widget && prop >= Prop::Caption && !held) FatalError(kNoNativeWindow);
  return &record;
}

std::int32_t QtPlatform::GetInt(std::string_view window, std::string_view control, Prop prop) {
  QtWindowRecord& record = WindowForProperty(window);
  if (QtControlRecord* c = ControlForProperty(record, control, prop)) {
    return QtControlProperties::GetInt(*c, prop);
  }
  return GetWindowInt(record, prop);
}

void QtPlatform::SetInt(std::string_view window, std::string_view control, Prop prop,
                        std::int32_t value) {
  QtWindowRecord& record = WindowForProperty(window);
  if (QtControlRecord* c = ControlForProperty(record, control, prop)) {
    QtControlProperties::SetInt(*c, prop, value);
  } else {
    SetWindowInt(record, prop, value);
  }
}

std::string QtPlatform::GetText(std::string_view window, std::string_view control, Prop prop) {
  QtWindowRecord& record = WindowForProperty(window);
  if (QtControlRecord* c = ControlForProperty(record, control, prop)) {
    return QtControlProperties::GetText(*c, prop);
  }
  if (QtControlProperties::IsNumeric(prop)) return NumberToText(GetWindowInt(record, prop));
  if (prop == Prop::Tag) return record.tag;
  if (prop == Prop::Caption || prop == Prop::Text) return record.form.caption;
  return {};
}

void QtPlatform::SetText(std::string_view window, std::string_view control, Prop prop,
                         std::string_view value) {
  QtWindowRecord& record = WindowForProperty(window);
  if (QtControlRecord* c = ControlForProperty(record, control, prop)) {
    QtControlProperties::SetText(*c, prop, value);
  } else if (QtControlProperties::IsNumeric(prop)) {
    SetWindowInt(record, prop, TruncateToInt(TextToNumber(value)));
  } else if (prop == Prop::Tag) {
    record.tag = std::string(value);
  } else if (prop == Prop::Caption || prop == Prop::Text) {
    record.form.caption = std::string(value);
    if (record.widget) record.widget->SetCaption(ToQt(value));
  }
}

std::int32_t QtPlatform::GetWindowInt(QtWindowRecord& window, Prop prop) {
  QtFormWindow* widget = window.widget;
  const QRect frame = widget ? widget->frameGeometry() : QRect();
  switch (prop) {
    case Prop::Left:
      return frame.x();
    case Prop::Top:
      return frame.y();
    case Prop::Width:
      return frame.width();
    case Prop::Height:
      return frame.height();
    case Prop::Visible:
      return window.visible ? 1 : 0;
    case Prop::Disable:
      return widget && widget->testAttribute(Qt::WA_ForceDisabled) ? 1 : 0;
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

void QtPlatform::SetWindowInt(QtWindowRecord& window, Prop prop, std::int32_t value) {
  QtFormWindow* widget = window.widget;
  if (widget == nullptr) return;
  switch (prop) {
    case Prop::Left:
      widget->move(value, widget->frameGeometry().y());
      return;
    case Prop::Top:
      widget->move(widget->frameGeometry().x(), value);
      return;
    case Prop::Width:
      widget->SetOuterSize(QSize(std::max(1, value), widget->OuterSize().height()));
      return;
    case Prop::Height:
      widget->SetOuterSize(QSize(widget->OuterSize().width(), std::max(1, value)));
      return;
    case Prop::Visible:
      window.visible = value != 0;
      widget->setVisible(window.visible);
      return;
    case Prop::Disable:
      widget->setEnabled(value == 0);
      return;
    case Prop::MousePointer:
      window.mousePointer = value;
      return;
    case Prop::TopMost:
      SetTopMost(window, value == 1);
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

void QtPlatform::SetTopMost(QtWindowRecord& window, bool on) {
  window.topMost = on;
  ApplyStaysOnTop(window.widget, on);
  if (on) return;
  // Leaving the topmost layer must not take the program's other topmost windows with it.
  for (const auto& [name, record] : Windows()) {
    auto* other = static_cast<QtWindowRecord*>(record.get());
    if (other == &window || !other->topMost || !other->widget) continue;
    ApplyStaysOnTop(other->widget, true);
    if (other->widget->isVisible()) other->widget->raise();
  }
}

std::int32_t QtPlatform::GetWindowHandle(std::string_view window, std::string_view control) {
  QtWindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  if (control == record->form.name) return record->handle;
  auto it = record->controls.find(control);
  return it == record->controls.end() ? 0 : it->second.handle;
}

QWidget* QtPlatform::WidgetForHandle(std::int32_t handle) const {
  const Target* target = TargetOf(handle);
  const QtWindowRecord* record = target != nullptr ? FindWindow(target->window) : nullptr;
  if (record == nullptr) return nullptr;
  if (handle == record->handle) return record->widget.data();
  auto it = record->controls.find(target->control);
  return it == record->controls.end() ? nullptr : it->second.widget.data();
}

std::int32_t QtPlatform::AddComboItem(std::string_view window, std::string_view control,
                                      std::string_view text, std::int32_t data) {
  QtWindowRecord& record = WindowForProperty(window);
  QtControlRecord* c = ControlForProperty(record, control, Prop::ListIndex);
  return c == nullptr ? -1 : QtControlProperties::AddItem(*c, text, data);
}

void QtPlatform::RaiseFeedback(std::int32_t receiverHandle, std::int32_t first,
                               std::int32_t second) {
  const Target* owner = TargetOf(receiverHandle);
  if (owner == nullptr) return;
  const std::string window = owner->window;
  const std::string control = owner->control;
  QtWindowRecord* record = FindWindow(window);
  if (record == nullptr) return;
  auto it = record->controls.find(control);
  if (it == record->controls.end()) return;
  const ControlKind kind = it->second.def.kind;
  if (kind != ControlKind::Label && kind != ControlKind::TransparentLabel) return;
  Raise(window, control, event::kFeedback, first, second);
}

// ---------------------------------------------------------------------------------------------
// Dialogs

bool QtPlatform::RunFileDialog(std::string_view window, std::string_view control) {
  QtWindowRecord& record = WindowForProperty(window);
  QtControlRecord* dialog = ControlForProperty(record, control, Prop::FileName);
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
  QString chosen;
  {
    HandlerScope busy(*this);
    chosen = QFileDialog::getOpenFileName(record.widget, QString(), ToQt(dialog->storedText));
  }
  if (HandlerDepth() == 0) ReleaseRetired();
  if (chosen.isEmpty()) return false;
  // The window may have gone while the dialog was open.
  if (QtWindowRecord* after = FindWindow(name, serial)) {
    auto it = after->controls.find(unit);
    if (it != after->controls.end()) it->second.storedText = chosen.toStdString();
  }
  return true;
}

std::int32_t QtPlatform::ShowMessageBox(std::string_view text, std::int32_t style,
                                        std::string_view title, std::string_view parentWindow) {
  const std::string shownTitle(title.empty() ? kDefaultTitle : title);
  PlatformSeam& seam = PlatformSeam::Instance();
  if (seam.Armed()) {
    return seam.TakeMessageBoxAnswer(ShownMessage{std::string(text), shownTitle, style});
  }
  QWidget* owner = nullptr;
  if (!parentWindow.empty()) {
    if (QtWindowRecord* record = FindWindow(parentWindow)) owner = record->widget;
  }
  std::int32_t answer = 0;
  {
    HandlerScope busy(*this);
    answer = QtMessageBox::Show(owner, ToQt(text), ToQt(shownTitle), style);
  }
  if (HandlerDepth() == 0) ReleaseRetired();
  return answer;
}

// ---------------------------------------------------------------------------------------------
// Shell

void QtPlatform::OpenUrl(std::string_view address) {
  PlatformSeam& seam = PlatformSeam::Instance();
  if (seam.Armed()) {
    seam.RecordOpenedAddress(std::string(address));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromUserInput(ToQt(address)));
}

std::int32_t QtPlatform::ExecuteWithVerb(std::int32_t verb, std::string_view target,
                                         std::string_view parameters, std::string_view folder,
                                         std::int32_t /*show*/) {
  PlatformSeam& seam = PlatformSeam::Instance();
  std::function<void(const std::string&)> record;
  if (seam.Armed()) record = [&seam](const std::string& what) { seam.RecordOpenedAddress(what); };
  return QtShell::Execute(
      verb, target, parameters, folder, [this](const std::string& address) { OpenUrl(address); },
      record);
}

// ---------------------------------------------------------------------------------------------
// Global hotkeys: the place where the hotkey service is wired in.

std::int32_t QtPlatform::RegisterGlobalHotkey(std::int32_t hostHandle, std::int32_t receiverHandle,
                                              std::int32_t modifiers, std::int32_t keyCode) {
  return DesktopHotkeyService().Register(hostHandle, receiverHandle, modifiers, keyCode);
}

bool QtPlatform::UnregisterGlobalHotkey(std::int32_t hostHandle, std::int32_t id) {
  return DesktopHotkeyService().Unregister(hostHandle, id);
}

}  // namespace kalvor
