// Whether a top-level window can be seen at all: shown, not minimized, exposed by the window
// system and, under X11, not wholly covered by other windows. Qt passes on none of the X
// visibility events, so this asks the X server for them on a connection of its own; elsewhere (or
// when X cannot be reached) a covered window counts as seen. Things that draw only for the eye,
// such as animations, ask Seen() and are told whenever it may have changed.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QSocketNotifier;
class QWidget;
class QWindow;
struct xcb_connection_t;

namespace kalvor {

class QtWindowVisibility : public QObject {
 public:
  // The watcher of a top-level window, made the first time it is asked for; it lives as long as
  // the window.
  static QtWindowVisibility* Of(QWidget* window);

  ~QtWindowVisibility() override;

  bool Seen() const;
  // Calls changed whenever Seen() may have changed, for as long as receiver lives.
  void Notify(QObject* receiver, std::function<void()> changed);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit QtWindowVisibility(QWidget* window);

  void ConnectX();
  // Follows the native window the widget has now (it gets one when first shown).
  void WatchNativeWindow();
  void ReadX();
  void Changed();

  QWidget* window_;
  QPointer<QWindow> handle_;
  xcb_connection_t* x_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::uint32_t xWindow_ = 0;
  bool covered_ = false;
  std::vector<std::pair<QPointer<QObject>, std::function<void()>>> listeners_;
};

}  // namespace kalvor
