#include "platform/qt/qt_window_visibility.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

namespace kalvor {

QtWindowVisibility* QtWindowVisibility::Of(QWidget* window) {
  window = window->window();
  for (QObject* child : window->children()) {
    if (auto* watcher = dynamic_cast<QtWindowVisibility*>(child)) return watcher;
  }
  return new QtWindowVisibility(window);
}

QtWindowVisibility::QtWindowVisibility(QWidget* window) : QObject(window), window_(window) {
  window_->installEventFilter(this);
  WatchNativeWindow();
  // The connection of our own to the X server, for the window's visibility events, is made once
  // the window is on the screen, outside the start-up path.
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    QTimer::singleShot(0, this, [this] { ConnectX(); });
  }
}

void QtWindowVisibility::ConnectX() {
  x_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x_) != 0) {
    xcb_disconnect(x_);
    x_ = nullptr;
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(x_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadX(); });
  WatchNativeWindow();
}

QtWindowVisibility::~QtWindowVisibility() {
  notifier_.reset();
  if (x_ != nullptr) xcb_disconnect(x_);
}

bool QtWindowVisibility::Seen() const {
  return window_->isVisible() && !window_->isMinimized() &&
         (handle_ == nullptr || handle_->isExposed()) && !covered_;
}

void QtWindowVisibility::Notify(QObject* receiver, std::function<void()> changed) {
  listeners_.emplace_back(receiver, std::move(changed));
}

bool QtWindowVisibility::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::WinIdChange:
      if (watched == window_) WatchNativeWindow();
      Changed();
      break;
    case QEvent::Hide:
    case QEvent::WindowStateChange:
    case QEvent::Expose:
      Changed();
      break;
    default:
      break;
  }
  return false;
}

void QtWindowVisibility::WatchNativeWindow() {
  QWindow* handle = window_->windowHandle();
  if (handle != handle_) {
    if (handle_ != nullptr) handle_->removeEventFilter(this);
    handle_ = handle;
    if (handle_ != nullptr) handle_->installEventFilter(this);
  }
  if (x_ == nullptr || !window_->testAttribute(Qt::WA_WState_Created)) return;
  const auto id = static_cast<std::uint32_t>(window_->winId());
  if (id == xWindow_) return;
  xWindow_ = id;
  covered_ = false;  // the server tells the state when the window is next mapped or covered
  const std::uint32_t mask = XCB_EVENT_MASK_VISIBILITY_CHANGE;
  xcb_change_window_attributes(x_, xWindow_, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x_);
}

void QtWindowVisibility::ReadX() {
  bool changed = false;
  while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
    if ((event->response_type & 0x7f) == XCB_VISIBILITY_NOTIFY) {
      const auto* notify = reinterpret_cast<xcb_visibility_notify_event_t*>(event);
      if (notify->window == xWindow_) {
        covered_ = notify->state == XCB_VISIBILITY_FULLY_OBSCURED;
        changed = true;
      }
    }
    std::free(event);
  }
  if (xcb_connection_has_error(x_) != 0) {
    // The server went away: nothing more will be told, so nothing counts as covered.
    notifier_->setEnabled(false);
    covered_ = false;
    changed = true;
  }
  if (changed) Changed();
}

void QtWindowVisibility::Changed() {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                  [](const auto& entry) { return entry.first == nullptr; }),
                   listeners_.end());
  // A listener may add another while being told.
  const auto listeners = listeners_;
  for (const auto& [receiver, changed] : listeners) {
    if (receiver != nullptr) changed();
  }
}

}  // namespace kalvor
