#include "platform/win32/win32_drawing_layer.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace kalvor {

namespace {

HWND WindowOf(std::int32_t windowHandle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(windowHandle));
}

HDC Context(std::intptr_t dc) {
  return reinterpret_cast<HDC>(dc);
}

HGDIOBJ Object(std::intptr_t object) {
  return reinterpret_cast<HGDIOBJ>(object);
}

std::intptr_t Handle(const void* handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

}  // namespace

std::intptr_t Win32DrawingLayer::GetDC(std::int32_t windowHandle) {
  // 0 would give the whole screen's context: only a control's window is drawn on.
  if (windowHandle == 0 || !::IsWindow(WindowOf(windowHandle))) return 0;
  return Handle(::GetDC(WindowOf(windowHandle)));
}

bool Win32DrawingLayer::ReleaseDC(std::int32_t windowHandle, std::intptr_t dc) {
  return dc != 0 && ::ReleaseDC(WindowOf(windowHandle), Context(dc)) == 1;
}

std::intptr_t Win32DrawingLayer::CreateCompatibleDC(std::intptr_t dc) {
  return Handle(::CreateCompatibleDC(Context(dc)));
}

std::intptr_t Win32DrawingLayer::CreateCompatibleBitmap(std::intptr_t dc, std::int32_t width,
                                                        std::int32_t height) {
  if (dc == 0 || width <= 0 || height <= 0) return 0;
  return Handle(::CreateCompatibleBitmap(Context(dc), width, height));
}

std::intptr_t Win32DrawingLayer::SelectObject(std::intptr_t dc, std::intptr_t object) {
  if (dc == 0 || object == 0) return 0;
  HGDIOBJ before = ::SelectObject(Context(dc), Object(object));
  return before == HGDI_ERROR ? 0 : Handle(before);
}

std::intptr_t Win32DrawingLayer::CreatePen(std::int32_t style, std::int32_t width,
                                           std::int32_t color) {
  return Handle(::CreatePen(style, width, static_cast<COLORREF>(color)));
}

std::intptr_t Win32DrawingLayer::CreateSolidBrush(std::int32_t color) {
  return Handle(::CreateSolidBrush(static_cast<COLORREF>(color)));
}

bool Win32DrawingLayer::Rectangle(std::intptr_t dc, std::int32_t left, std::int32_t top,
                                  std::int32_t right, std::int32_t bottom) {
  return ::Rectangle(Context(dc), left, top, right, bottom) != FALSE;
}

bool Win32DrawingLayer::BitBlt(std::intptr_t dest, std::int32_t x, std::int32_t y,
                               std::int32_t width, std::int32_t height, std::intptr_t source,
                               std::int32_t sourceX, std::int32_t sourceY,
                               std::uint32_t operation) {
  return ::BitBlt(Context(dest), x, y, width, height, Context(source), sourceX, sourceY,
                  operation) != FALSE;
}

bool Win32DrawingLayer::DeleteDC(std::intptr_t dc) {
  return ::DeleteDC(Context(dc)) != FALSE;
}

bool Win32DrawingLayer::DeleteObject(std::intptr_t object) {
  return ::DeleteObject(Object(object)) != FALSE;
}

bool Win32DrawingLayer::GradientFill(std::intptr_t dc, const GradientVertex* vertices,
                                     std::uint32_t count, std::uint32_t upperLeft,
                                     std::uint32_t lowerRight, std::uint32_t mode) {
  if (vertices == nullptr || count == 0 || upperLeft >= count || lowerRight >= count) return false;
  if (mode != kGradientHorizontal && mode != kGradientVertical) return false;
  // The colour runs from the vertex nearer the left (or the top) to the other one, whichever of
  // the two is named first.
  const GradientVertex* first = &vertices[upperLeft];
  const GradientVertex* second = &vertices[lowerRight];
  const bool horizontal = mode == kGradientHorizontal;
  if (horizontal ? first->x > second->x : first->y > second->y) std::swap(first, second);
  TRIVERTEX corners[2] = {
      {(std::min)(first->x, second->x), (std::min)(first->y, second->y), first->red, first->green,
       first->blue, first->alpha},
      {(std::max)(first->x, second->x), (std::max)(first->y, second->y), second->red, second->green,
       second->blue, second->alpha},
  };
  GRADIENT_RECT rect{0, 1};
  return ::GradientFill(Context(dc), corners, 2, &rect, 1,
                        horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V) != FALSE;
}

}  // namespace kalvor
