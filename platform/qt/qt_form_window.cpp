#include "platform/qt/qt_form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace kalvor {

QtFormWindow::QtFormWindow(QSize outerSize, const QString& caption) : outer_(outerSize) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Controls are placed by coordinates, so the window keeps its size.
  setFixedSize(outer_.expandedTo(QSize(1, 1)));
  if (caption.isEmpty()) setWindowFlag(Qt::Dialog);
  SetCaption(caption);
}

void QtFormWindow::SetCaption(const QString& caption) {
  untitled_ = caption.isEmpty();
  setWindowTitle(caption);
  if (untitled_) ClearNativeTitle();
}

void QtFormWindow::ClearNativeTitle() {
#if QT_CONFIG(xcb)
  // Only windows of the X11 platform have names there (the offscreen platform answers too).
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || QGuiApplication::platformName() != QLatin1String("xcb") ||
      x11->connection() == nullptr || !testAttribute(Qt::WA_WState_Created)) {
    return;
  }
  xcb_connection_t* c = x11->connection();
  const auto window = static_cast<xcb_window_t>(winId());
  const char* utf8Names[] = {"_NET_WM_NAME", "UTF8_STRING"};
  xcb_atom_t atoms[2] = {XCB_ATOM_NONE, XCB_ATOM_NONE};
  for (int i = 0; i < 2; ++i) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c,
        xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(utf8Names[i])), utf8Names[i]),
        nullptr);
    if (reply != nullptr) atoms[i] = reply->atom;
    std::free(reply);
  }
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atoms[0], atoms[1], 8, 0, nullptr);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                      nullptr);
  xcb_flush(c);
#endif
}

void QtFormWindow::SetOuterSize(QSize outer) {
  outer_ = outer;
  FitOuterSize();
}

void QtFormWindow::FitOuterSize() {
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  const QSize margins(std::max(0, frame.width() - client.width()),
                      std::max(0, frame.height() - client.height()));
  const QSize wanted = (outer_ - margins).expandedTo(QSize(1, 1));
  if (size() != wanted || minimumSize() != wanted || maximumSize() != wanted) {
    setFixedSize(wanted);
  }
}

void QtFormWindow::closeEvent(QCloseEvent* event) {
  // The platform decides when the window goes; the widget itself stays until then.
  event->ignore();
  if (onCloseRequest_) onCloseRequest_();
}

bool QtFormWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  switch (event->type()) {
    case QEvent::Show:
      if (untitled_) {
        ClearNativeTitle();
        QTimer::singleShot(0, this, [this] {
          if (untitled_) ClearNativeTitle();
        });
      }
      FitOuterSize();
      // A window manager reports its frame only after it has mapped the window.
      QTimer::singleShot(0, this, [this] { FitOuterSize(); });
      QTimer::singleShot(200, this, [this] { FitOuterSize(); });
      break;
    case QEvent::WindowTitleChange:
      if (untitled_) ClearNativeTitle();
      break;
    case QEvent::Move:
    case QEvent::WindowStateChange:
      if (isVisible()) FitOuterSize();
      break;
    default:
      break;
  }
  return handled;
}

}  // namespace kalvor
