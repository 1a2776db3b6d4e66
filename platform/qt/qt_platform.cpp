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

FormControl* QtPlatform::FindControl(FormWindow& window, std::string_view control) {
  auto& controls = static_cast<QtWindowRecord&>(window).controls;
  auto it = controls.find(control);
  return it == controls.end() ? nullptr : &it->second;
}

bool QtPlatform::HasNative(const FormControl& control) const {
  return static_cast<const QtControlRecord&>(control).widget != nullptr;
}

std::int32_t QtPlatform::NativeHandle(const FormWindow& window, const FormControl* control) const {
  return control == nullptr ? static_cast<const QtWindowRecord&>(window).handle
                            : static_cast<const QtControlRecord*>(control)->handle;
}

std::int32_t QtPlatform::ControlInt(FormWindow& /*window*/, FormControl& control, Prop prop) {
  return QtControlProperties::GetInt(static_cast<QtControlRecord&>(control), prop);
}

void QtPlatform::SetControlInt(FormWindow& /*window*/, FormControl& control, Prop prop,
                               std::int32_t value) {
  QtControlProperties::SetInt(static_cast<QtControlRecord&>(control), prop, value);
}

std::string QtPlatform::ControlText(FormWindow& /*window*/, FormControl& control, Prop prop) {
  return QtControlProperties::GetText(static_cast<QtControlRecord&>(control), prop);
}

void QtPlatform::SetControlText(FormWindow& /*window*/, FormControl& control, Prop prop,
                                std::string_view value) {
  QtControlProperties::SetText(static_cast<QtControlRecord&>(control), prop, value);
}

std::int32_t QtPlatform::AddControlItem(FormControl& control, std::string_view text,
                                        std::int32_t data) {
  return QtControlProperties::AddItem(static_cast<QtControlRecord&>(control), text, data);
}

void QtPlatform::ShowCaption(FormWindow& window, std::string_view caption) {
  if (QtFormWindow* widget = static_cast<QtWindowRecord&>(window).widget) {
    widget->SetCaption(ToQt(caption));
  }
}

std::int32_t QtPlatform::NativeWindowInt(FormWindow& window, Prop prop) {
  QtFormWindow* widget = static_cast<QtWindowRecord&>(window).widget;
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
    case Prop::Disable:
      return widget && widget->testAttribute(Qt::WA_ForceDisabled) ? 1 : 0;
    default:
      return 0;
  }
}

void QtPlatform::SetNativeWindowInt(FormWindow& record, Prop prop, std::int32_t value) {
  auto& window = static_cast<QtWindowRecord&>(record);
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
    case Prop::TopMost:
      SetTopMost(window, value == 1);
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

QWidget* QtPlatform::WidgetForHandle(std::int32_t handle) const {
  const Target* target = TargetOf(handle);
  const QtWindowRecord* record = target != nullptr ? FindWindow(target->window) : nullptr;
  if (record == nullptr) return nullptr;
  if (handle == record->handle) return record->widget.data();
  auto it = record->controls.find(target->control);
  return it == record->controls.end() ? nullptr : it->second.widget.data();
}

// ---------------------------------------------------------------------------------------------
// Dialogs and the shell

std::optional<std::string> QtPlatform::ChooseFile(FormWindow& window, const FormControl& dialog) {
  const QString chosen = QFileDialog::getOpenFileName(static_cast<QtWindowRecord&>(window).widget,
                                                      QString(), ToQt(dialog.storedText));
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

std::int32_t QtPlatform::ShowNativeMessageBox(FormWindow* owner, std::string_view text,
                                              std::string_view title, std::int32_t style) {
  QWidget* parent = owner != nullptr ? static_cast<QtWindowRecord*>(owner)->widget : nullptr;
  return QtMessageBox::Show(parent, ToQt(text), ToQt(title), style);
}

void QtPlatform::OpenNativeUrl(std::string_view address) {
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
