// The drawing calls of the spectrum renderer on Qt.
//
// - A screen context belongs to the window of one control, found from its window handle. Qt lets a
//   widget paint only inside its own paint event, so what reaches a control is kept as a frame per
//   control and shown by a small overlay child widget that lies over the whole control, takes no
//   mouse input and stays transparent where nothing was copied yet. The frame changes only in
//   BitBlt (or in a drawing call on the screen context itself), and the overlay is only asked to
//   repaint afterwards, so a half-drawn frame is never shown. The overlay follows the control's
//   size at the next copy.
// - Bitmaps are 32-bit images; a new bitmap is opaque black, so the parts of a frame nobody paints
//   show black once copied. Every bitmap is in colour, also one made from a memory context.
// - Pens are solid, of width 0 or 1 (one pixel); a wider pen draws a frame of that many pixels
//   inside the rectangle; style 5 draws no outline (the fill then loses its last column and row,
//   the way the drawing calls these stand for behave). Brushes are solid. Colours are 0x00BBGGRR.
// - Rectangle excludes right and bottom: the outline runs on the rectangle's outer pixels, the
//   brush fills the inside. A rectangle without width or height draws nothing.
// - GradientFill takes two-vertex rectangles; the first pixel column (horizontal) or row
//   (vertical) has exactly the colour of the left or upper vertex and the last one exactly that of
//   the other vertex, linear in between. A vertex channel is 16 bits; its colour is channel >> 8.
// - BitBlt knows only the plain copy (0xCC0020); pixels outside either surface are skipped.
// - Handles are nonzero and never handed out twice. A new memory context holds a stock 1 x 1
//   bitmap, a black pen and a white brush; stock objects cannot be deleted (deleting one succeeds
//   and does nothing). An object that is selected into a context cannot be deleted.
//
// Everything runs on the user-interface thread.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>

#include "platform/platform_services.h"

namespace kalvor {

class QtDrawingLayer : public DrawingLayer {
 public:
  // Finds the widget of a window handle; nullptr when the handle names no live widget.
  using WidgetLookup = std::function<QWidget*(std::int32_t windowHandle)>;

  explicit QtDrawingLayer(WidgetLookup lookup);
  QtDrawingLayer(const QtDrawingLayer&) = delete;
  QtDrawingLayer& operator=(const QtDrawingLayer&) = delete;
  ~QtDrawingLayer() override;

  std::intptr_t GetDC(std::int32_t windowHandle) override;
  bool ReleaseDC(std::int32_t windowHandle, std::intptr_t dc) override;
  std::intptr_t CreateCompatibleDC(std::intptr_t dc) override;
  std::intptr_t CreateCompatibleBitmap(std::intptr_t dc, std::int32_t width,
                                       std::int32_t height) override;
  std::intptr_t SelectObject(std::intptr_t dc, std::intptr_t object) override;
  std::intptr_t CreatePen(std::int32_t style, std::int32_t width, std::int32_t color) override;
  std::intptr_t CreateSolidBrush(std::int32_t color) override;
  bool Rectangle(std::intptr_t dc, std::int32_t left, std::int32_t top, std::int32_t right,
                 std::int32_t bottom) override;
  bool BitBlt(std::intptr_t dest, std::int32_t x, std::int32_t y, std::int32_t width,
              std::int32_t height, std::intptr_t source, std::int32_t sourceX, std::int32_t sourceY,
              std::uint32_t operation) override;
  bool DeleteDC(std::intptr_t dc) override;
  bool DeleteObject(std::intptr_t object) override;
  bool GradientFill(std::intptr_t dc, const GradientVertex* vertices, std::uint32_t count,
                    std::uint32_t upperLeft, std::uint32_t lowerRight, std::uint32_t mode) override;

  // The frame shown over the control of a window handle (a null image before the first copy).
  QImage ShownFrame(std::int32_t windowHandle) const;
  // How many contexts and objects are open, stock objects not counted; 0 once everything drawn
  // has been released.
  std::size_t OpenObjectCount() const;

 private:
  enum class Kind { ScreenDc, MemoryDc, Bitmap, Pen, Brush };

  struct Object {
    Kind kind = Kind::Pen;
    bool stock = false;
    // Contexts.
    std::int32_t windowHandle = 0;  // screen context: the window it was taken from
    std::intptr_t bitmap = 0, pen = 0, brush = 0;
    // Bitmaps.
    QImage image;
    std::intptr_t selectedInto = 0;  // the memory context holding the bitmap, 0 when free
    // Pens and brushes.
    QRgb color = 0;
    std::int32_t penWidth = 1;
    bool penVisible = true;
  };

  // What reaches a control: its frame and the overlay that shows it.
  struct ControlFrame {
    QPointer<QWidget> control;
    QPointer<QLabel> overlay;
    QImage image;
  };

  Object* Find(std::intptr_t handle, Kind kind);
  Object* FindContext(std::intptr_t handle);
  std::intptr_t Add(Object object);
  // The image a context draws on: its bitmap, or the frame of its control; nullptr when none.
  QImage* Surface(Object& context);
  // The frame of a control, made or fitted to the control's current size.
  ControlFrame* FrameFor(std::int32_t windowHandle);
  // Shows a changed frame through its overlay.
  void Present(ControlFrame& frame);
  // After drawing on a context: a screen context shows the change at once.
  void Drawn(Object& context);
  bool IsSelected(std::intptr_t object) const;

  WidgetLookup lookup_;
  std::intptr_t nextHandle_ = 0x100;
  std::unordered_map<std::intptr_t, Object> objects_;
  std::intptr_t stockBitmap_ = 0, stockPen_ = 0, stockBrush_ = 0;
  std::map<std::int32_t, ControlFrame> frames_;
};

// Makes a Qt drawing layer the drawing layer of this process; it finds the widget of a window
// handle through `lookup`. A second call replaces the lookup.
void InstallQtDrawingLayer(QtDrawingLayer::WidgetLookup lookup);

}  // namespace kalvor
