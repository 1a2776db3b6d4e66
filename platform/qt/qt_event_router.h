// The one event filter of the form runtime: it turns mouse presses and mouse moves over a control
// (or over any inner part of it, such as the edit field of a combo box or the header of a tab
// control) into the control's left-down, right-down and mouse-move events (event::kLeftDown,
// kRightDown, kMouseMove). A press or move is reported for the innermost control under the mouse
// only: control widgets do not pass mouse events on to the control that contains them.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <unordered_map>

class QWidget;

namespace kalvor {

class QtEventRouter : public QObject {
 public:
  using Dispatch =
      std::function<void(const std::string& window, const std::string& control, int event)>;

  explicit QtEventRouter(Dispatch dispatch);

  // Routes the mouse events of widget and of its current descendants to (window, control).
  // Attach containers before the controls inside them: the innermost attachment wins.
  void Attach(QWidget* widget, const std::string& window, const std::string& control);
  // Forgets widget and its descendants.
  void Detach(QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Target {
    std::string window;
    std::string control;
  };
  void AttachOne(QWidget* widget, const Target& target);

  Dispatch dispatch_;
  std::unordered_map<QObject*, Target> targets_;
};

}  // namespace kalvor
