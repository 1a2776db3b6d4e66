#include "platform/qt/qt_form_window.h"

#include <QCloseEvent>
#include <QTimer>
#include <algorithm>

namespace kalvor {

QtFormWindow::QtFormWindow(QSize outerSize) : outer_(outerSize) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  // Controls are placed by coordinates, so the window keeps its size.
  setFixedSize(outer_.expandedTo(QSize(1, 1)));
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
      FitOuterSize();
      // A window manager reports its frame only after it has mapped the window.
      QTimer::singleShot(0, this, [this] { FitOuterSize(); });
      QTimer::singleShot(200, this, [this] { FitOuterSize(); });
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
