#include "platform/qt/qt_picture_box.h"

#include <QEvent>
#include <QImage>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <cstring>
#include <utility>

#include "platform/qt/qt_window_visibility.h"
#include "platform/qt/xcb_picture_frames.h"

namespace kalvor {

namespace {

// A frame without a delay shows for 100 ms, as web browsers do.
constexpr int kDefaultDelayMs = 100;

// The smallest rectangle holding every pixel in which two frames differ.
QRect ChangedRect(const QImage& before, const QImage& after) {
  if (before.size() != after.size() || before.format() != after.format()) return after.rect();
  const int width = after.width();
  auto rowDiffers = [&](int y) {
    return std::memcmp(before.constScanLine(y), after.constScanLine(y),
                       static_cast<std::size_t>(width) * 4) != 0;
  };
  int top = 0;
  while (top < after.height() && !rowDiffers(top)) ++top;
  if (top == after.height()) return {};
  int bottom = after.height() - 1;
  while (!rowDiffers(bottom)) --bottom;
  int left = width, right = -1;
  for (int y = top; y <= bottom; ++y) {
    const auto* a = reinterpret_cast<const quint32*>(before.constScanLine(y));
    const auto* b = reinterpret_cast<const quint32*>(after.constScanLine(y));
    for (int x = 0; x < left; ++x) {
      if (a[x] != b[x]) {
        left = x;
        break;
      }
    }
    for (int x = width - 1; x > right; --x) {
      if (a[x] != b[x]) {
        right = x;
        break;
      }
    }
  }
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

QtPictureBox::QtPictureBox(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
}

QtPictureBox::~QtPictureBox() = default;

void QtPictureBox::SetImage(const QString& path) {
  timer_.stop();
  frames_.clear();
  server_.reset();
  serverWindow_ = 0;
  canvas_ = QImage();
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  current_ = 0;
  painted_ = 0;
  steps_ = 0;
  reader_ = std::make_unique<QImageReader>(path);
  QImage first;
  if (reader_->supportsAnimation() && reader_->imageCount() != 1) first = reader_->read();
  if (first.isNull()) {
    reader_.reset();
    setPixmap(QPixmap(path));
    return;
  }
  first = first.convertToFormat(first.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32);
  const int delay = reader_->nextImageDelay();
  // The first frame's patch (over the last one) is known once the last frame has been read.
  frames_.push_back({QImage(), QPoint(), delay > 0 ? delay : kDefaultDelayMs});
  canvas_ = first;
  // Without transparency the picture paints every pixel it covers, so nothing below it needs
  // painting first.
  setAttribute(Qt::WA_OpaquePaintEvent, !first.hasAlphaChannel());
  first_ = std::make_unique<QImage>(first);
  last_ = std::make_unique<QImage>(std::move(first));
  setPixmap(QPixmap());
  update();
  UpdateRunning();
}

bool QtPictureBox::DecodeNext() {
  QImage image = reader_->read();
  if (image.isNull()) {
    // Every frame has been seen: what the first one changes over the last is known now.
    const QRect changed = ChangedRect(*last_, *first_);
    if (!changed.isEmpty()) frames_[0].patch = first_->copy(changed);
    frames_[0].at = changed.topLeft();
    reader_.reset();
    first_.reset();
    last_.reset();
    return false;
  }
  image = image.convertToFormat(last_->format());
  const int delay = reader_->nextImageDelay();
  const QRect changed = ChangedRect(*last_, image);
  frames_.push_back({changed.isEmpty() ? QImage() : image.copy(changed), changed.topLeft(),
                     delay > 0 ? delay : kDefaultDelayMs});
  *last_ = std::move(image);
  return true;
}

void QtPictureBox::Step() {
  std::size_t next = current_ + 1;
  if (next == frames_.size() && (reader_ == nullptr || !DecodeNext())) next = 0;
  if (next == current_) {  // a single frame after all
    timer_.stop();
    return;
  }
  Frame& frame = frames_[next];
  current_ = next;
  ++steps_;
  // Painted at once: the window then takes one trip through its repaint and flush for this step
  // instead of coming back for it later.
  if (!frame.patch.isNull() && !DrawOnServer(frame)) {
    repaint(QRect(frame.at, frame.patch.size()));
    repainted_ = false;  // sent ahead of the next step's copy by a whole frame's time
  }
  if (next == 0) clear_ = NothingOver();  // now and then, in case a widget came over it
  if (timer_.interval() != frame.delayMs) timer_.start(frame.delayMs);
}

void QtPictureBox::CatchUp() {
  while (painted_ != current_) {
    painted_ = (painted_ + 1) % frames_.size();
    const Frame& frame = frames_[painted_];
    const auto bytes = static_cast<std::size_t>(frame.patch.width()) * 4;
    for (int y = 0; y < frame.patch.height(); ++y) {
      std::memcpy(canvas_.scanLine(frame.at.y() + y) + frame.at.x() * 4,
                  frame.patch.constScanLine(y), bytes);
    }
  }
}

void QtPictureBox::UpdateRunning() {
  const bool animated = reader_ != nullptr || frames_.size() > 1;
  if (animated && isVisible() && window_ == nullptr) {
    window_ = QtWindowVisibility::Of(window());
    window_->Notify(this, [this] { UpdateRunning(); });
  }
  if (animated && isVisible() && window_->Seen()) {
    if (!timer_.isActive()) timer_.start(frames_[current_].delayMs);
    // What the server drew is not in the window's own copy of its pixels, which the window shows
    // again when it is uncovered or mapped: paint the picture there afresh.
    clear_ = NothingOver();
    update();
  } else {
    timer_.stop();
  }
}

bool QtPictureBox::event(QEvent* event) {
  const bool handled = QLabel::event(event);
  if (event->type() == QEvent::Show || event->type() == QEvent::Hide) UpdateRunning();
  return handled;
}

bool QtPictureBox::DrawOnServer(Frame& frame) {
  // Right after a paint here the window's flush may still be on its way to the server, which
  // could take it after a copy sent now: this step goes the same way as that paint.
  if (std::exchange(repainted_, false) || !clear_ || canvas_.hasAlphaChannel()) return false;
  // Tried once for each native window the box's window gets.
  const auto window = static_cast<std::uint32_t>(this->window()->effectiveWinId());
  if (window != serverWindow_) {
    serverWindow_ = window;
    server_ = window != 0 ? XcbPictureFrames::Open(this->window()) : nullptr;
    for (Frame& each : frames_) each.kept = -1;
  }
  if (server_ == nullptr) return false;
  if (frame.kept < 0) frame.kept = server_->Keep(frame.patch);
  if (frame.kept < 0) return false;
  const QPoint origin = mapTo(this->window(), QPoint());
  const QRect clip = QRect(origin, canvas_.size()) & this->window()->rect();
  if (!server_->Draw(frame.kept, origin + frame.at, clip)) {
    server_.reset();
    return false;
  }
  return true;
}

bool QtPictureBox::NothingOver() const {
  const QWidget* top = window();
  const QRect picture(mapTo(top, QPoint()), canvas_.size());
  // Above a widget lie its children and the siblings after it (those of its parents included).
  auto covers = [&](const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget != nullptr && widget->isVisible() && !widget->isWindow() &&
           QRect(widget->mapTo(top, QPoint()), widget->size()).intersects(picture);
  };
  for (const QObject* child : children()) {
    if (covers(child)) return false;
  }
  for (const QWidget* widget = this; widget != top; widget = widget->parentWidget()) {
    const QObjectList& siblings = widget->parentWidget()->children();
    for (auto it = siblings.begin() + siblings.indexOf(widget) + 1; it != siblings.end(); ++it) {
      if (covers(*it)) return false;
    }
  }
  return true;
}

void QtPictureBox::paintEvent(QPaintEvent* event) {
  if (frames_.empty()) {
    QLabel::paintEvent(event);
    return;
  }
  repainted_ = true;
  CatchUp();
  QPainter painter(this);
  const QRect area = event->rect() & canvas_.rect();
  if (!area.isEmpty()) painter.drawImage(area.topLeft(), canvas_, area);
  if (testAttribute(Qt::WA_OpaquePaintEvent)) {
    // The box is a little larger than the picture: the rest shows the window's background.
    for (const QRect& rest : QRegion(event->rect()).subtracted(canvas_.rect())) {
      painter.fillRect(rest, palette().window());
    }
  }
}

}  // namespace kalvor
