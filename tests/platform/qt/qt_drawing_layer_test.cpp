// The Qt drawing layer on its own: rectangles, gradients, copies to a control and the bookkeeping
// of contexts and objects.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "platform/qt/qt_drawing_layer.h"

namespace kalvor {
namespace {

constexpr std::int32_t kHandle = 17;
constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kBlue = 0xFF0000FFu;

class QtDrawingLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = std::make_unique<QPushButton>();
    control_->resize(40, 20);
    QPalette palette = control_->palette();
    palette.setColor(QPalette::Window, Qt::white);
    control_->setPalette(palette);
    control_->setAutoFillBackground(true);
    control_->show();
    layer_ = std::make_unique<QtDrawingLayer>(
        [this](std::int32_t handle) { return handle == kHandle ? control_.get() : nullptr; });
    screen_ = layer_->GetDC(kHandle);
    memory_ = layer_->CreateCompatibleDC(screen_);
    bitmap_ = layer_->CreateCompatibleBitmap(screen_, 10, 6);
    layer_->SelectObject(memory_, bitmap_);
  }

  // Copies the bitmap to the control and returns what the control's frame holds.
  QImage Copy(int width = 10, int height = 6) {
    EXPECT_TRUE(
        layer_->BitBlt(screen_, 0, 0, width, height, memory_, 0, 0, DrawingLayer::kSourceCopy));
    return layer_->ShownFrame(kHandle);
  }

  void UsePen(std::int32_t style, std::int32_t width, std::int32_t color) {
    const std::intptr_t pen = layer_->CreatePen(style, width, color);
    layer_->DeleteObject(layer_->SelectObject(memory_, pen));
  }
  void UseBrush(std::int32_t color) {
    const std::intptr_t brush = layer_->CreateSolidBrush(color);
    layer_->DeleteObject(layer_->SelectObject(memory_, brush));
  }

  std::unique_ptr<QPushButton> control_;
  std::unique_ptr<QtDrawingLayer> layer_;
  std::intptr_t screen_ = 0, memory_ = 0, bitmap_ = 0;
};

TEST_F(QtDrawingLayerTest, RectangleOutlinesWithThePenFillsWithTheBrushAndExcludesRightAndBottom) {
  UsePen(DrawingLayer::kSolidPen, 0, 0x0000FF);  // red outline, one pixel
  UseBrush(0xFF0000);                            // blue inside
  EXPECT_TRUE(layer_->Rectangle(memory_, 1, 1, 5, 5));
  const QImage frame = Copy();

  EXPECT_EQ(frame.pixel(1, 1), kRed);
  EXPECT_EQ(frame.pixel(4, 1), kRed);
  EXPECT_EQ(frame.pixel(4, 4), kRed);
  EXPECT_EQ(frame.pixel(2, 2), kBlue);
  EXPECT_EQ(frame.pixel(3, 3), kBlue);
  EXPECT_EQ(frame.pixel(5, 2), kBlack) << "right edge excluded";
  EXPECT_EQ(frame.pixel(2, 5), kBlack) << "bottom edge excluded";
  EXPECT_EQ(frame.pixel(0, 0), kBlack) << "a new bitmap is black";
}

TEST_F(QtDrawingLayerTest, OnePixelHighRectangleIsALineAndAnEmptyOneDrawsNothing) {
  UsePen(DrawingLayer::kSolidPen, 0, 0x0000FF);
  UseBrush(0x0000FF);
  layer_->Rectangle(memory_, 2, 3, 6, 4);               // a peak mark
  EXPECT_TRUE(layer_->Rectangle(memory_, 8, 0, 8, 6));  // no width
  EXPECT_TRUE(layer_->Rectangle(memory_, 0, 5, 9, 5));  // no height
  const QImage frame = Copy();
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool mark = y == 3 && x >= 2 && x < 6;
      EXPECT_EQ(frame.pixel(x, y), mark ? kRed : kBlack) << x << "," << y;
    }
  }
}

TEST_F(QtDrawingLayerTest, GradientsReachBothVertexColoursAndUseTheHighByteOfEachChannel) {
  GradientVertex vertices[2] = {{0, 0, 0xFF00, 0x80FF, 0, 0}, {10, 3, 0, 0x80FF, 0xFF00, 0}};
  EXPECT_TRUE(layer_->GradientFill(memory_, vertices, 2, 0, 1, DrawingLayer::kGradientHorizontal));
  GradientVertex down[2] = {{2, 3, 0xFF00, 0, 0, 0}, {4, 6, 0, 0, 0xFF00, 0}};
  EXPECT_TRUE(layer_->GradientFill(memory_, down, 2, 0, 1, DrawingLayer::kGradientVertical));
  EXPECT_FALSE(layer_->GradientFill(memory_, down, 2, 0, 2, DrawingLayer::kGradientVertical));
  const QImage frame = Copy();

  EXPECT_EQ(frame.pixel(0, 0), qRgb(255, 0x80, 0));
  EXPECT_EQ(frame.pixel(9, 2), qRgb(0, 0x80, 255));
  EXPECT_LT(qRed(frame.pixel(5, 1)), 255);
  EXPECT_GT(qRed(frame.pixel(5, 1)), 0);
  EXPECT_EQ(frame.pixel(3, 3), kRed);
  EXPECT_EQ(frame.pixel(2, 5), kBlue);
  EXPECT_EQ(frame.pixel(4, 4), kBlack) << "right edge excluded";
}

TEST_F(QtDrawingLayerTest, CopyReplacesOnlyTheCopiedBlockAndTheOverlayLetsClicksThrough) {
  UseBrush(0xFF0000);
  UsePen(DrawingLayer::kSolidPen, 0, 0xFF0000);
  layer_->Rectangle(memory_, 0, 0, 10, 6);
  QImage frame = Copy(4, 2);
  EXPECT_EQ(frame.size(), QSize(40, 20));
  EXPECT_EQ(frame.pixel(3, 1), kBlue);
  EXPECT_EQ(qAlpha(frame.pixel(4, 1)), 0) << "never copied: the control shows through";

  // A block hanging over the edges is clipped, and the earlier copy stays.
  EXPECT_TRUE(layer_->BitBlt(screen_, 36, 18, 10, 6, memory_, 0, 0, DrawingLayer::kSourceCopy));
  frame = layer_->ShownFrame(kHandle);
  EXPECT_EQ(frame.pixel(39, 19), kBlue);
  EXPECT_EQ(frame.pixel(3, 1), kBlue);
  EXPECT_FALSE(layer_->BitBlt(screen_, 0, 0, 4, 2, memory_, 0, 0, 0x00EE0086));

  const QImage onScreen = control_->grab().toImage();
  EXPECT_EQ(onScreen.pixel(0, 0), kBlue);
  EXPECT_EQ(onScreen.pixel(39, 19), kBlue);

  // The overlay is there but the mouse finds the control beneath it.
  ASSERT_NE(control_->findChild<QLabel*>(), nullptr);
  EXPECT_TRUE(control_->findChild<QLabel*>()->isVisible());
  EXPECT_EQ(control_->childAt(2, 1), nullptr);
}

TEST_F(QtDrawingLayerTest, FrameFollowsTheControlSizeAtTheNextCopy) {
  Copy();
  control_->resize(60, 30);
  const QImage frame = Copy();
  EXPECT_EQ(frame.size(), QSize(60, 30));
  EXPECT_EQ(frame.pixel(9, 5), kBlack);
  EXPECT_EQ(qAlpha(frame.pixel(59, 29)), 0);
}

TEST_F(QtDrawingLayerTest, SelectedObjectsStayUntilTheirContextIsGone) {
  const std::intptr_t pen = layer_->CreatePen(DrawingLayer::kSolidPen, 0, 0);
  const std::intptr_t stockPen = layer_->SelectObject(memory_, pen);
  EXPECT_NE(stockPen, 0);
  EXPECT_FALSE(layer_->DeleteObject(pen)) << "selected";
  EXPECT_FALSE(layer_->DeleteObject(bitmap_)) << "selected";

  const std::intptr_t other = layer_->CreateCompatibleDC(screen_);
  EXPECT_EQ(layer_->SelectObject(other, bitmap_), 0) << "a bitmap lives in one context";
  EXPECT_EQ(layer_->SelectObject(screen_, bitmap_), 0) << "not into a screen context";
  EXPECT_TRUE(layer_->DeleteDC(other));

  EXPECT_FALSE(layer_->DeleteDC(screen_)) << "a screen context is released, not deleted";
  EXPECT_FALSE(layer_->ReleaseDC(kHandle + 1, screen_));
  EXPECT_TRUE(layer_->ReleaseDC(kHandle, screen_));
  EXPECT_TRUE(layer_->DeleteDC(memory_));
  EXPECT_TRUE(layer_->DeleteObject(pen));
  EXPECT_TRUE(layer_->DeleteObject(bitmap_));
  EXPECT_TRUE(layer_->DeleteObject(stockPen)) << "stock objects stay";
  EXPECT_EQ(layer_->OpenObjectCount(), 0u);
  EXPECT_FALSE(layer_->DeleteObject(bitmap_)) << "gone";

  EXPECT_EQ(layer_->GetDC(0), 0);
  EXPECT_EQ(layer_->GetDC(kHandle + 1), 0);
  EXPECT_EQ(layer_->CreateCompatibleBitmap(layer_->CreateCompatibleDC(0), 0, 5), 0);
}

}  // namespace
}  // namespace kalvor
