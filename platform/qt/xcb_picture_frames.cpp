#include "platform/qt/xcb_picture_frames.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace kalvor {

namespace {

template <typename T>
struct FreeReply {
  void operator()(T* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

// True colour with 8 bits per primary, red highest: the layout of QImage::Format_RGB32.
bool VisualFits(const xcb_setup_t* setup, xcb_visualid_t id) {
  for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
    for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem;
         xcb_depth_next(&depth)) {
      for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
           xcb_visualtype_next(&visual)) {
        const xcb_visualtype_t& v = *visual.data;
        if (v.visual_id != id) continue;
        return (v._class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                v._class == XCB_VISUAL_CLASS_DIRECT_COLOR) &&
               v.red_mask == 0xff0000 && v.green_mask == 0xff00 && v.blue_mask == 0xff;
      }
    }
  }
  return false;
}

// Pixels of that depth take 32 bits and rows are padded to 32 bits, as in the image.
bool PixmapsFit(const xcb_setup_t* setup, std::uint8_t depth) {
  for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
       xcb_format_next(&format)) {
    if (format.data->depth == depth) {
      return format.data->bits_per_pixel == 32 && format.data->scanline_pad == 32;
    }
  }
  return false;
}

}  // namespace

std::unique_ptr<XcbPictureFrames> XcbPictureFrames::Open(QWidget* window) {
  if (QGuiApplication::platformName() != QLatin1String("xcb") ||
      !window->testAttribute(Qt::WA_WState_Created) || window->devicePixelRatioF() != 1.0) {
    return nullptr;
  }
  const auto id = static_cast<std::uint32_t>(window->winId());
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) == 0) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, id), nullptr));
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
    if (attributes && geometry && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST &&
        VisualFits(setup, attributes->visual) && PixmapsFit(setup, geometry->depth)) {
      return std::unique_ptr<XcbPictureFrames>(
          new XcbPictureFrames(connection, id, geometry->depth));
    }
  }
  xcb_disconnect(connection);
  return nullptr;
}

XcbPictureFrames::XcbPictureFrames(xcb_connection_t* connection, std::uint32_t window,
                                   std::uint8_t depth)
    : connection_(connection), window_(window), depth_(depth) {
  gc_ = xcb_generate_id(connection_);
  const std::uint32_t noExposures = 0;
  xcb_create_gc(connection_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
}

XcbPictureFrames::~XcbPictureFrames() {
  // The server frees the pixmaps and the graphics context with the connection.
  xcb_disconnect(connection_);
}

int XcbPictureFrames::Keep(const QImage& picture) {
  if (picture.format() != QImage::Format_RGB32 || picture.isNull()) return -1;
  const auto width = static_cast<std::uint16_t>(picture.width());
  const auto height = static_cast<std::uint16_t>(picture.height());
  const std::uint32_t pixmap = xcb_generate_id(connection_);
  xcb_create_pixmap(connection_, depth_, pixmap, window_, width, height);
  // In bands well inside the smallest request a server must take.
  const int rowBytes = picture.bytesPerLine();
  const int band = std::max(1, 60000 / rowBytes);
  for (int y = 0; y < height; y += band) {
    const int rows = std::min(band, height - y);
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc_, width,
                  static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(y), 0, depth_,
                  static_cast<std::uint32_t>(rows * rowBytes), picture.constScanLine(y));
  }
  kept_.push_back({pixmap, picture.size()});
  return static_cast<int>(kept_.size()) - 1;
}

bool XcbPictureFrames::Draw(int number, QPoint at, const QRect& clip) {
  // Nothing is asked of the server that it answers, but errors would pile up unread.
  if (++draws_ % 64 == 0) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
  }
  if (xcb_connection_has_error(connection_) != 0) return false;
  const Kept& kept = kept_.at(static_cast<std::size_t>(number));
  const QRect area = QRect(at, kept.size) & clip;
  if (area.isEmpty()) return true;
  xcb_copy_area(connection_, kept.pixmap, window_, gc_,
                static_cast<std::int16_t>(area.x() - at.x()),
                static_cast<std::int16_t>(area.y() - at.y()), static_cast<std::int16_t>(area.x()),
                static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
                static_cast<std::uint16_t>(area.height()));
  xcb_flush(connection_);
  return true;
}

}  // namespace kalvor
