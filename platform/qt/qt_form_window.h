// The top-level widget of a form window. The form gives the window's outer size, frame included;
// the client area is sized so that the frame comes out at that size once the window manager has
// told us how thick its frame is (without a frame, client size = outer size). A close request
// (close box, Alt+F4) does not close the widget: it is handed to the platform, which runs the
// window's close and destroy events and then removes the window.
//
// A window without a caption has an empty title bar. Qt names a window without a title after the
// program, and a window manager names a top-level window without a name itself ("Unnamed
// Window"); so such a window is a dialog of the program (transient for its other windows, which
// managers leave unnamed) and its names on the window system are emptied once Qt has set them.
#pragma once

#include <QSize>
#include <QWidget>
#include <functional>

namespace kalvor {

class QtFormWindow : public QWidget {
 public:
  QtFormWindow(QSize outerSize, const QString& caption);

  // Sets the caption shown in the title bar; an empty one leaves the title bar empty.
  void SetCaption(const QString& caption);

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
  // Empties the window's names on the window system (X11), where Qt put the program's name.
  void ClearNativeTitle();

  QSize outer_;
  bool untitled_ = false;
  std::function<void()> onCloseRequest_;
};

}  // namespace kalvor
