// The top-level widget of a form window. The form gives the window's outer size, frame included;
// the client area is sized so that the frame comes out at that size once the window manager has
// told us how thick its frame is (without a frame, client size = outer size). A close request
// (close box, Alt+F4) does not close the widget: it is handed to the platform, which runs the
// window's close and destroy events and then removes the window.
#pragma once

#include <QSize>
#include <QWidget>
#include <functional>

namespace kalvor {

class QtFormWindow : public QWidget {
 public:
  explicit QtFormWindow(QSize outerSize);

  void SetCloseRequestHandler(std::function<void()> handler) {
    onCloseRequest_ = std::move(handler);
  }

  QSize OuterSize() const { return outer_; }
  void SetOuterSize(QSize outer);
  // Sizes the client area so that the frame measures OuterSize(); called again whenever the frame
  // may have changed (show, move, state change).
  void FitOuterSize();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QSize outer_;
  std::function<void()> onCloseRequest_;
};

}  // namespace kalvor
