// An animated picture on a real X server (Xvfb, the xcb platform): what a step draws there is a
// whole frame every time, and a window that another window covers wholly stops animating until
// it is uncovered.
#include <xcb/xcb.h>

#include <QApplication>
#include <QColor>
#include <QTest>
#include <QWidget>
#include <cstdlib>

#include "platform/qt/qt_picture_box.h"
#include "tests/platform/qt/qt_test_support.h"
#include "tests/support/x_server.h"

namespace kalvor::test {
namespace {

// The frame the window shows at the picture's place, read back from the X server: 0, 1 or 2 for
// the frames of the three-frame picture, -1 for anything else.
int FrameOnScreen(xcb_connection_t* x, std::uint32_t window) {
  xcb_get_image_reply_t* image = xcb_get_image_reply(
      x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, 4, 2, ~0u), nullptr);
  if (image == nullptr) return -1;
  const auto* pixels = reinterpret_cast<const quint32*>(xcb_get_image_data(image));
  auto is = [&](int x, int y, Qt::GlobalColor color) {
    return (pixels[y * 4 + x] & 0xffffff) == (QColor(color).rgb() & 0xffffff);
  };
  int frame = -1;
  if (is(0, 0, Qt::red) && is(2, 1, Qt::red)) {
    if (is(1, 1, Qt::red) && is(3, 0, Qt::red)) frame = 0;
    if (is(1, 1, Qt::green) && is(3, 0, Qt::red)) frame = 1;
    if (is(1, 1, Qt::green) && is(3, 0, Qt::blue)) frame = 2;
  }
  std::free(image);
  return frame;
}

TEST(QtXcbPictureTest, StepsDrawWholeFramesAndACoveredWindowRests) {
  KALVOR_NEED_X_SERVER();
  QTemporaryDir dir;
  QWidget window;
  window.setGeometry(0, 0, 60, 30);
  auto* box = new QtPictureBox(&window);
  box->setGeometry(0, 0, 8, 4);
  box->SetImage(WriteThreeFrameGif(dir));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  xcb_connection_t* x = xcb_connect(XServer::Shared()->Display().c_str(), nullptr);
  ASSERT_EQ(xcb_connection_has_error(x), 0);
  const auto id = static_cast<std::uint32_t>(window.winId());
  // Read back at moments that fall between the steps and on them, until every frame was seen
  // once the first loop was over.
  bool seen[3] = {};
  for (int i = 0; i < 200 && !(seen[0] && seen[1] && seen[2]); ++i) {
    QTest::qWait(5);
    const int steps = box->Steps();
    const int frame = FrameOnScreen(x, id);
    ASSERT_GE(frame, 0) << "after " << steps << " steps";
    if (steps >= 3) seen[frame] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
  xcb_disconnect(x);

  QWidget cover;
  cover.setGeometry(0, 0, 200, 100);
  cover.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !box->Animating(); }, 3000));
  const int steps = box->Steps();
  QTest::qWait(100);
  EXPECT_EQ(box->Steps(), steps);

  cover.hide();
  EXPECT_TRUE(QTest::qWaitFor([&] { return box->Steps() > steps; }, 3000));
}

}  // namespace
}  // namespace kalvor::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The windows go to the shared X server (which sets DISPLAY) when there is one; without it the
  // test says why it cannot run.
  if (!GTEST_FLAG_GET(list_tests) && kalvor::test::XServer::Shared() != nullptr) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
