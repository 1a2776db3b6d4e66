// The GDI drawing layer, drawn into a memory context and read back pixel by pixel.
#include "platform/win32/win32_drawing_layer.h"

#include <gtest/gtest.h>

#include "tests/support/win32_test_window.h"

namespace kalvor {
namespace {

TEST(Win32DrawingLayerTest, RectanglesGradientsAndCopiesReachTheBitmap) {
  Win32DrawingLayer gdi;
  HWND window = win32_test::MakeWindow();
  ASSERT_NE(window, nullptr);
  const std::int32_t handle = win32_test::HandleOf(window);
  EXPECT_EQ(gdi.GetDC(0), 0);
  const std::intptr_t screen = gdi.GetDC(handle);
  ASSERT_NE(screen, 0);
  const std::intptr_t dc = gdi.CreateCompatibleDC(screen);
  const std::intptr_t bitmap = gdi.CreateCompatibleBitmap(screen, 100, 20);
  ASSERT_NE(dc, 0);
  ASSERT_NE(bitmap, 0);
  const std::intptr_t stockBitmap = gdi.SelectObject(dc, bitmap);
  EXPECT_NE(stockBitmap, 0);
  auto pixel = [&](std::intptr_t context, int x, int y) {
    return ::GetPixel(reinterpret_cast<HDC>(context), x, y);
  };

  const std::intptr_t pen = gdi.CreatePen(DrawingLayer::kSolidPen, 1, RGB(255, 0, 0));
  const std::intptr_t brush = gdi.CreateSolidBrush(RGB(0, 0, 255));
  const std::intptr_t oldPen = gdi.SelectObject(dc, pen);
  const std::intptr_t oldBrush = gdi.SelectObject(dc, brush);
  const COLORREF outside = pixel(dc, 9, 9);
  ASSERT_TRUE(gdi.Rectangle(dc, 1, 1, 9, 9));
  EXPECT_EQ(pixel(dc, 1, 1), RGB(255, 0, 0));  // outline
  EXPECT_EQ(pixel(dc, 8, 8), RGB(255, 0, 0));
  EXPECT_EQ(pixel(dc, 5, 5), RGB(0, 0, 255));  // fill
  EXPECT_EQ(pixel(dc, 9, 9), outside);         // right and bottom excluded

  // The colour runs from the left vertex to the right one, whichever is named first.
  const COLORREF above = pixel(dc, 50, 9);
  const GradientVertex vertices[] = {{.x = 90, .y = 20, .blue = 0xFF00},
                                     {.x = 10, .y = 10, .red = 0xFF00}};
  ASSERT_TRUE(gdi.GradientFill(dc, vertices, 2, 0, 1, DrawingLayer::kGradientHorizontal));
  EXPECT_EQ(pixel(dc, 10, 15), RGB(255, 0, 0));
  EXPECT_GE(GetBValue(pixel(dc, 89, 15)), 240);
  EXPECT_LE(GetRValue(pixel(dc, 89, 15)), 15);
  EXPECT_EQ(pixel(dc, 50, 9), above);  // outside the rectangle: untouched
  EXPECT_FALSE(gdi.GradientFill(dc, vertices, 2, 0, 2, DrawingLayer::kGradientVertical));
  const GradientVertex column[] = {{.x = 95, .y = 0, .green = 0xFF00}, {.x = 100, .y = 20}};
  ASSERT_TRUE(gdi.GradientFill(dc, column, 2, 0, 1, DrawingLayer::kGradientVertical));
  EXPECT_EQ(pixel(dc, 97, 0), RGB(0, 255, 0));
  EXPECT_LE(GetGValue(pixel(dc, 97, 19)), 20);

  // A copy into a second memory context.
  const std::intptr_t copy = gdi.CreateCompatibleDC(screen);
  const std::intptr_t copyBitmap = gdi.CreateCompatibleBitmap(screen, 20, 20);
  const std::intptr_t copyStock = gdi.SelectObject(copy, copyBitmap);
  ASSERT_TRUE(gdi.BitBlt(copy, 0, 0, 10, 10, dc, 0, 0, DrawingLayer::kSourceCopy));
  EXPECT_EQ(pixel(copy, 5, 5), RGB(0, 0, 255));

  gdi.SelectObject(copy, copyStock);
  EXPECT_TRUE(gdi.DeleteObject(copyBitmap));
  EXPECT_TRUE(gdi.DeleteDC(copy));
  gdi.SelectObject(dc, oldPen);
  gdi.SelectObject(dc, oldBrush);
  gdi.SelectObject(dc, stockBitmap);
  EXPECT_TRUE(gdi.DeleteObject(pen));
  EXPECT_TRUE(gdi.DeleteObject(brush));
  EXPECT_TRUE(gdi.DeleteObject(bitmap));
  EXPECT_TRUE(gdi.DeleteDC(dc));
  EXPECT_FALSE(gdi.ReleaseDC(handle, 0));
  EXPECT_TRUE(gdi.ReleaseDC(handle, screen));
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace kalvor
