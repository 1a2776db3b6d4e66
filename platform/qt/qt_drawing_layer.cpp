#include "platform/qt/qt_drawing_layer.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstring>
#include <utility>

namespace kalvor {

namespace {

constexpr std::int32_t kNullPenStyle = 5;

QRgb FromColorRef(std::int32_t color) {
  const auto c = static_cast<std::uint32_t>(color);
  return qRgb(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu),
              static_cast<int>((c >> 16) & 0xFFu));
}

// Fills [left, right) x [top, bottom) of an image with one colour, clipped to the image.
void FillSpan(QImage& image, std::int64_t left, std::int64_t top, std::int64_t right,
              std::int64_t bottom, QRgb color) {
  left = std::max<std::int64_t>(left, 0);
  top = std::max<std::int64_t>(top, 0);
  right = std::min<std::int64_t>(right, image.width());
  bottom = std::min<std::int64_t>(bottom, image.height());
  if (left >= right || top >= bottom) return;
  for (std::int64_t y = top; y < bottom; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    std::fill(line + left, line + right, color);
  }
}

// Channel value of pixel `step` of `steps` between two 16-bit vertex channels, as an 8-bit colour.
int Blend(std::uint16_t from, std::uint16_t to, std::int64_t step, std::int64_t steps) {
  if (steps <= 1) return from >> 8;
  const std::int64_t value = from + (std::int64_t{to} - from) * step / (steps - 1);
  return static_cast<int>(value >> 8);
}

QRgb VertexColor(const GradientVertex& from, const GradientVertex& to, std::int64_t step,
                 std::int64_t steps) {
  return qRgb(Blend(from.red, to.red, step, steps), Blend(from.green, to.green, step, steps),
              Blend(from.blue, to.blue, step, steps));
}

QImage NewSurface(int width, int height, QRgb fill) {
  QImage image(width, height, QImage::Format_ARGB32);
  if (!image.isNull()) image.fill(fill);
  return image;
}

}  // namespace

QtDrawingLayer::QtDrawingLayer(WidgetLookup lookup) : lookup_(std::move(lookup)) {
  Object bitmap;
  bitmap.kind = Kind::Bitmap;
  bitmap.stock = true;
  bitmap.image = NewSurface(1, 1, qRgb(0, 0, 0));
  stockBitmap_ = Add(std::move(bitmap));
  Object pen;
  pen.kind = Kind::Pen;
  pen.stock = true;
  pen.color = qRgb(0, 0, 0);
  stockPen_ = Add(std::move(pen));
  Object brush;
  brush.kind = Kind::Brush;
  brush.stock = true;
  brush.color = qRgb(255, 255, 255);
  stockBrush_ = Add(std::move(brush));
}

QtDrawingLayer::~QtDrawingLayer() {
  for (auto& [handle, frame] : frames_) delete frame.overlay.data();
}

std::intptr_t QtDrawingLayer::Add(Object object) {
  const std::intptr_t handle = nextHandle_++;
  objects_.emplace(handle, std::move(object));
  return handle;
}

QtDrawingLayer::Object* QtDrawingLayer::Find(std::intptr_t handle, Kind kind) {
  const auto it = objects_.find(handle);
  return it != objects_.end() && it->second.kind == kind ? &it->second : nullptr;
}

QtDrawingLayer::Object* QtDrawingLayer::FindContext(std::intptr_t handle) {
  const auto it = objects_.find(handle);
  if (it == objects_.end()) return nullptr;
  const Kind kind = it->second.kind;
  return kind == Kind::ScreenDc || kind == Kind::MemoryDc ? &it->second : nullptr;
}

bool QtDrawingLayer::IsSelected(std::intptr_t object) const {
  for (const auto& [handle, candidate] : objects_) {
    if (candidate.kind != Kind::ScreenDc && candidate.kind != Kind::MemoryDc) continue;
    if (candidate.bitmap == object || candidate.pen == object || candidate.brush == object) {
      return true;
    }
  }
  return false;
}

// Contexts ----------------------------------------------------------------------------------

std::intptr_t QtDrawingLayer::GetDC(std::int32_t windowHandle) {
  if (windowHandle == 0 || !lookup_ || lookup_(windowHandle) == nullptr) return 0;
  Object context;
  context.kind = Kind::ScreenDc;
  context.windowHandle = windowHandle;
  context.pen = stockPen_;
  context.brush = stockBrush_;
  return Add(std::move(context));
}

bool QtDrawingLayer::ReleaseDC(std::int32_t windowHandle, std::intptr_t dc) {
  const Object* context = Find(dc, Kind::ScreenDc);
  if (context == nullptr || context->windowHandle != windowHandle) return false;
  objects_.erase(dc);
  return true;
}

std::intptr_t QtDrawingLayer::CreateCompatibleDC(std::intptr_t dc) {
  // A memory context needs no other context to be made from: 0 stands for the screen.
  if (dc != 0 && FindContext(dc) == nullptr) return 0;
  Object context;
  context.kind = Kind::MemoryDc;
  context.bitmap = stockBitmap_;
  context.pen = stockPen_;
  context.brush = stockBrush_;
  return Add(std::move(context));
}

std::intptr_t QtDrawingLayer::CreateCompatibleBitmap(std::intptr_t dc, std::int32_t width,
                                                     std::int32_t height) {
  if (FindContext(dc) == nullptr || width <= 0 || height <= 0) return 0;
  Object bitmap;
  bitmap.kind = Kind::Bitmap;
  bitmap.image = NewSurface(width, height, qRgb(0, 0, 0));
  if (bitmap.image.isNull()) return 0;  // too large to allocate
  return Add(std::move(bitmap));
}

std::intptr_t QtDrawingLayer::SelectObject(std::intptr_t dc, std::intptr_t object) {
  Object* context = FindContext(dc);
  const auto it = objects_.find(object);
  if (context == nullptr || it == objects_.end()) return 0;
  Object& selected = it->second;
  std::intptr_t previous = 0;
  switch (selected.kind) {
    case Kind::Bitmap: {
      // A bitmap goes into one memory context at a time.
      if (context->kind != Kind::MemoryDc) return 0;
      if (selected.selectedInto != 0 && selected.selectedInto != dc) return 0;
      previous = context->bitmap;
      if (Object* old = Find(previous, Kind::Bitmap); old != nullptr) old->selectedInto = 0;
      context->bitmap = object;
      if (!selected.stock) selected.selectedInto = dc;
      break;
    }
    case Kind::Pen:
      previous = std::exchange(context->pen, object);
      break;
    case Kind::Brush:
      previous = std::exchange(context->brush, object);
      break;
    default:
      return 0;
  }
  return previous;
}

bool QtDrawingLayer::DeleteDC(std::intptr_t dc) {
  const Object* context = Find(dc, Kind::MemoryDc);
  if (context == nullptr) return false;
  if (Object* bitmap = Find(context->bitmap, Kind::Bitmap); bitmap != nullptr) {
    bitmap->selectedInto = 0;
  }
  objects_.erase(dc);
  return true;
}

// Pens, brushes and bitmaps -----------------------------------------------------------------

std::intptr_t QtDrawingLayer::CreatePen(std::int32_t style, std::int32_t width,
                                        std::int32_t color) {
  Object pen;
  pen.kind = Kind::Pen;
  pen.color = FromColorRef(color);
  pen.penWidth = std::max(width, 1);
  pen.penVisible = style != kNullPenStyle;
  return Add(std::move(pen));
}

std::intptr_t QtDrawingLayer::CreateSolidBrush(std::int32_t color) {
  Object brush;
  brush.kind = Kind::Brush;
  brush.color = FromColorRef(color);
  return Add(std::move(brush));
}

bool QtDrawingLayer::DeleteObject(std::intptr_t object) {
  const auto it = objects_.find(object);
  if (it == objects_.end()) return false;
  const Kind kind = it->second.kind;
  if (kind != Kind::Bitmap && kind != Kind::Pen && kind != Kind::Brush) return false;
  if (it->second.stock) return true;
  if (IsSelected(object)) return false;
  objects_.erase(it);
  return true;
}

// Drawing -----------------------------------------------------------------------------------

QImage* QtDrawingLayer::Surface(Object& context) {
  if (context.kind == Kind::MemoryDc) {
    Object* bitmap = Find(context.bitmap, Kind::Bitmap);
    return bitmap != nullptr ? &bitmap->image : nullptr;
  }
  ControlFrame* frame = FrameFor(context.windowHandle);
  return frame != nullptr ? &frame->image : nullptr;
}

void QtDrawingLayer::Drawn(Object& context) {
  if (context.kind != Kind::ScreenDc) return;
  if (ControlFrame* frame = FrameFor(context.windowHandle); frame != nullptr) Present(*frame);
}

bool QtDrawingLayer::Rectangle(std::intptr_t dc, std::int32_t left, std::int32_t top,
                               std::int32_t right, std::int32_t bottom) {
  Object* context = FindContext(dc);
  if (context == nullptr) return false;
  QImage* image = Surface(*context);
  if (image == nullptr) return false;
  const Object* pen = Find(context->pen, Kind::Pen);
  const Object* brush = Find(context->brush, Kind::Brush);

  std::int64_t l = std::min(left, right), r = std::max(left, right);
  std::int64_t t = std::min(top, bottom), b = std::max(top, bottom);
  if (l == r || t == b) return true;  // no area: nothing is drawn

  if (pen == nullptr || !pen->penVisible) {
    if (brush != nullptr) FillSpan(*image, l, t, r - 1, b - 1, brush->color);
  } else {
    const std::int64_t w = pen->penWidth;
    if (brush != nullptr) FillSpan(*image, l + w, t + w, r - w, b - w, brush->color);
    FillSpan(*image, l, t, r, std::min(t + w, b), pen->color);
    FillSpan(*image, l, std::max(b - w, t), r, b, pen->color);
    FillSpan(*image, l, t, std::min(l + w, r), b, pen->color);
    FillSpan(*image, std::max(r - w, l), t, r, b, pen->color);
  }
  Drawn(*context);
  return true;
}

bool QtDrawingLayer::GradientFill(std::intptr_t dc, const GradientVertex* vertices,
                                  std::uint32_t count, std::uint32_t upperLeft,
                                  std::uint32_t lowerRight, std::uint32_t mode) {
  Object* context = FindContext(dc);
  if (context == nullptr || vertices == nullptr || upperLeft >= count || lowerRight >= count) {
    return false;
  }
  if (mode != kGradientHorizontal && mode != kGradientVertical) return false;
  QImage* image = Surface(*context);
  if (image == nullptr) return false;

  // The colour runs from the vertex nearer the left (or the top) to the other one.
  const GradientVertex* first = &vertices[upperLeft];
  const GradientVertex* second = &vertices[lowerRight];
  const std::int64_t left = std::min(first->x, second->x), right = std::max(first->x, second->x);
  const std::int64_t top = std::min(first->y, second->y), bottom = std::max(first->y, second->y);
  if (left == right || top == bottom) return true;
  const bool horizontal = mode == kGradientHorizontal;
  if (horizontal ? first->x > second->x : first->y > second->y) std::swap(first, second);

  const std::int64_t x0 = std::max<std::int64_t>(left, 0);
  const std::int64_t x1 = std::min<std::int64_t>(right, image->width());
  const std::int64_t y0 = std::max<std::int64_t>(top, 0);
  const std::int64_t y1 = std::min<std::int64_t>(bottom, image->height());
  if (x0 < x1 && y0 < y1) {
    if (horizontal) {
      // Every row is the same: make the first, copy it to the rest.
      auto* row = reinterpret_cast<QRgb*>(image->scanLine(static_cast<int>(y0)));
      for (std::int64_t x = x0; x < x1; ++x) {
        row[x] = VertexColor(*first, *second, x - left, right - left);
      }
      for (std::int64_t y = y0 + 1; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image->scanLine(static_cast<int>(y)));
        std::memcpy(line + x0, row + x0, static_cast<std::size_t>(x1 - x0) * sizeof(QRgb));
      }
    } else {
      for (std::int64_t y = y0; y < y1; ++y) {
        const QRgb color = VertexColor(*first, *second, y - top, bottom - top);
        auto* line = reinterpret_cast<QRgb*>(image->scanLine(static_cast<int>(y)));
        std::fill(line + x0, line + x1, color);
      }
    }
  }
  Drawn(*context);
  return true;
}

bool QtDrawingLayer::BitBlt(std::intptr_t dest, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::intptr_t source, std::int32_t sourceX,
                            std::int32_t sourceY, std::uint32_t operation) {
  if (operation != kSourceCopy) return false;
  Object* to = FindContext(dest);
  Object* from = FindContext(source);
  if (to == nullptr || from == nullptr) return false;
  QImage* target = Surface(*to);
  QImage* origin = Surface(*from);
  if (target == nullptr || origin == nullptr) return false;

  // Clip the copied block to both surfaces; copy through a temporary when they are one image.
  std::int64_t dx = x, dy = y, sx = sourceX, sy = sourceY;
  std::int64_t w = width, h = height;
  auto clip = [&](std::int64_t& pos, std::int64_t& other, std::int64_t& size) {
    if (pos < 0) {
      size += pos;
      other -= pos;
      pos = 0;
    }
  };
  clip(dx, sx, w);
  clip(sx, dx, w);
  clip(dy, sy, h);
  clip(sy, dy, h);
  w = std::min({w, target->width() - dx, origin->width() - sx});
  h = std::min({h, target->height() - dy, origin->height() - sy});
  if (w > 0 && h > 0) {
    const QImage copied = target == origin
                              ? origin->copy(static_cast<int>(sx), static_cast<int>(sy),
                                             static_cast<int>(w), static_cast<int>(h))
                              : QImage();
    for (std::int64_t row = 0; row < h; ++row) {
      const auto* in =
          copied.isNull()
              ? reinterpret_cast<const QRgb*>(origin->constScanLine(static_cast<int>(sy + row))) +
                    sx
              : reinterpret_cast<const QRgb*>(copied.constScanLine(static_cast<int>(row)));
      auto* out = reinterpret_cast<QRgb*>(target->scanLine(static_cast<int>(dy + row))) + dx;
      std::memcpy(out, in, static_cast<std::size_t>(w) * sizeof(QRgb));
    }
  }
  Drawn(*to);
  return true;
}

// Frames shown over controls ----------------------------------------------------------------

QtDrawingLayer::ControlFrame* QtDrawingLayer::FrameFor(std::int32_t windowHandle) {
  QWidget* control = lookup_ ? lookup_(windowHandle) : nullptr;
  if (control == nullptr) return nullptr;
  ControlFrame& frame = frames_[windowHandle];
  if (frame.control != control) {
    // A new control, or a handle that now names another widget: start over.
    delete frame.overlay.data();
    frame = ControlFrame{};
    frame.control = control;
  }
  if (frame.overlay == nullptr) {
    auto* overlay = new QLabel(control);
    overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    overlay->setAttribute(Qt::WA_NoSystemBackground);
    overlay->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    overlay->setFocusPolicy(Qt::NoFocus);
    overlay->setObjectName(QStringLiteral("kalvorFrameOverlay"));
    frame.overlay = overlay;
  }
  const QSize size = control->size();
  if (frame.image.size() != size) {
    // Keep what was shown; new room stays transparent, so the control shows through.
    QImage resized = NewSurface(std::max(size.width(), 1), std::max(size.height(), 1), 0);
    if (!frame.image.isNull() && !resized.isNull()) {
      QPainter painter(&resized);
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.drawImage(0, 0, frame.image);
    }
    frame.image = std::move(resized);
  }
  return &frame;
}

void QtDrawingLayer::Present(ControlFrame& frame) {
  if (frame.overlay == nullptr || frame.control == nullptr) return;
  QLabel& overlay = *frame.overlay;
  overlay.setGeometry(0, 0, frame.control->width(), frame.control->height());
  overlay.setPixmap(QPixmap::fromImage(frame.image));
  overlay.raise();
  overlay.show();
  overlay.update();
}

QImage QtDrawingLayer::ShownFrame(std::int32_t windowHandle) const {
  const auto it = frames_.find(windowHandle);
  return it != frames_.end() ? it->second.image : QImage();
}

std::size_t QtDrawingLayer::OpenObjectCount() const {
  return static_cast<std::size_t>(std::count_if(
      objects_.begin(), objects_.end(), [](const auto& entry) { return !entry.second.stock; }));
}

// Installation ------------------------------------------------------------------------------

void InstallQtDrawingLayer(QtDrawingLayer::WidgetLookup lookup) {
  // Kept until the process ends: its overlays belong to their controls, which may outlive the
  // application object at exit.
  static QtDrawingLayer* layer = nullptr;
  delete layer;
  layer = new QtDrawingLayer(std::move(lookup));
  SetDrawingLayer(layer);
}

}  // namespace kalvor
