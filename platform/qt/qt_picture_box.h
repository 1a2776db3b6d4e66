// The picture box control: a still picture, or an animated one (GIF) that plays for ever,
// whatever loop count the file carries, each frame for the time the file gives it.
//
// An animation costs nothing while it cannot be seen: it runs only while the box is shown and its
// window is shown, not minimized and not wholly covered. Each frame is decoded once, the first time
// round, and kept as the part of the picture that differs from the frame before, so a step
// repaints only what changes. Under X, once nothing lies over the picture, the kept parts of an
// opaque picture go to the X server and a step is a copy there, which spares the window a repaint.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

class QImageReader;

namespace kalvor {

class QtWindowVisibility;
class XcbPictureFrames;

class QtPictureBox : public QLabel {
 public:
  explicit QtPictureBox(QWidget* parent);
  ~QtPictureBox() override;

  void SetImage(const QString& path);

  // Frames stepped through since the picture was set.
  int Steps() const { return steps_; }
  bool Animating() const { return timer_.isActive(); }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // What a step paints over the picture shown before it.
  struct Frame {
    QImage patch;
    QPoint at;
    int delayMs = 0;
    int kept = -1;  // its number among the frames kept on the X server
  };

  void Step();
  // Decodes the frame after the last one kept; false at the end of the file.
  bool DecodeNext();
  void KeepFrame(const QImage& image, const QImage& before, int delayMs);
  void UpdateRunning();
  // Brings the picture kept here up to the frame shown; the steps drawn on the server leave it
  // behind until it is painted.
  void CatchUp();
  // Shows a step's patch through the X server; false when it has to be painted here.
  bool DrawOnServer(Frame& frame);
  // True when no other widget lies over the picture in its window.
  bool NothingOver() const;

  std::unique_ptr<QImageReader> reader_;  // until every frame has been decoded once
  std::unique_ptr<QImage> first_, last_;  // kept while decoding, to find what a step changes
  std::vector<Frame> frames_;
  QImage canvas_;            // the frame painted_, whole
  std::size_t current_ = 0;  // the frame shown
  std::size_t painted_ = 0;
  QTimer timer_;
  QPointer<QtWindowVisibility> window_;
  std::unique_ptr<XcbPictureFrames> server_;
  std::uint32_t serverWindow_ = 0;  // the native window server_ was opened for
  bool clear_ = false;              // NothingOver() when last asked
  bool repainted_ = false;          // painted here since the last step
  int steps_ = 0;
};

}  // namespace kalvor
