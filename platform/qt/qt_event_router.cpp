#include "platform/qt/qt_event_router.h"

#include <QMouseEvent>
#include <QWidget>

#include "platform/platform_services.h"

namespace kalvor {

QtEventRouter::QtEventRouter(Dispatch dispatch) : dispatch_(std::move(dispatch)) {}

void QtEventRouter::Attach(QWidget* widget, const std::string& window, const std::string& control) {
  const Target target{window, control};
  AttachOne(widget, target);
  for (QWidget* inner : widget->findChildren<QWidget*>()) {
    // Separate top-level parts (a combo box's pop-up list) are not "over the control".
    if (!inner->isWindow()) AttachOne(inner, target);
  }
}

void QtEventRouter::AttachOne(QWidget* widget, const Target& target) {
  const bool known = targets_.count(widget) != 0;
  targets_[widget] = target;
  if (known) return;
  widget->setMouseTracking(true);
  // Windows sends a mouse message to the control under the cursor only; Qt would offer an
  // ignored press to the parent as well and so raise the parent's event too.
  if (!widget->isWindow()) widget->setAttribute(Qt::WA_NoMousePropagation);
  widget->installEventFilter(this);
  connect(widget, &QObject::destroyed, this, [this](QObject* gone) { targets_.erase(gone); });
}

void QtEventRouter::Detach(QWidget* widget) {
  widget->removeEventFilter(this);
  targets_.erase(widget);
  for (QWidget* inner : widget->findChildren<QWidget*>()) {
    inner->removeEventFilter(this);
    targets_.erase(inner);
  }
}

bool QtEventRouter::eventFilter(QObject* watched, QEvent* event) {
  int code = 0;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      // A double click is a second press to the control.
      const auto button = static_cast<QMouseEvent*>(event)->button();
      if (button == Qt::LeftButton) {
        code = event::kLeftDown;
      } else if (button == Qt::RightButton) {
        code = event::kRightDown;
      }
      break;
    }
    case QEvent::MouseMove:
      code = event::kMouseMove;
      break;
    default:
      return false;
  }
  if (code == 0) return false;
  auto it = targets_.find(watched);
  if (it == targets_.end()) return false;
  // A disabled control takes no mouse input.
  if (auto* widget = qobject_cast<QWidget*>(watched); widget != nullptr && !widget->isEnabled()) {
    return false;
  }
  const Target target = it->second;  // the handler may unload the window and detach it
  dispatch_(target.window, target.control, code);
  return false;
}

}  // namespace kalvor
