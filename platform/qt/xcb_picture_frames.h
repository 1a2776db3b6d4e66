// Frames of an animated picture kept on the X server, one pixmap each, and drawn into the window
// with a single copy request. A step of an animation then costs this process a few bytes on a
// socket, where a repaint through the toolkit costs a round trip to the server, a paint and a
// flush of the window's backing store every time.
//
// Only for windows whose pixels are laid out like an opaque 32-bit image and are not scaled; Open
// gives nothing elsewhere (and on every window system but X), and the caller paints as usual.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <memory>
#include <vector>

class QWidget;
struct xcb_connection_t;

namespace kalvor {

class XcbPictureFrames {
 public:
  // For the native window of window, on a connection of its own.
  static std::unique_ptr<XcbPictureFrames> Open(QWidget* window);
  ~XcbPictureFrames();
  XcbPictureFrames(const XcbPictureFrames&) = delete;
  XcbPictureFrames& operator=(const XcbPictureFrames&) = delete;

  // Keeps a picture (QImage::Format_RGB32) on the server; its number, or -1.
  int Keep(const QImage& picture);
  // Draws kept picture `number` with its top left corner at `at` in the window, only inside
  // `clip` (window coordinates). False when the server cannot be reached any more.
  bool Draw(int number, QPoint at, const QRect& clip);
  std::uint32_t Window() const { return window_; }

 private:
  XcbPictureFrames(xcb_connection_t* connection, std::uint32_t window, std::uint8_t depth);

  xcb_connection_t* connection_;
  std::uint32_t window_;
  std::uint8_t depth_;
  std::uint32_t gc_ = 0;
  unsigned draws_ = 0;
  struct Kept {
    std::uint32_t pixmap;
    QSize size;
  };
  std::vector<Kept> kept_;
};

}  // namespace kalvor
