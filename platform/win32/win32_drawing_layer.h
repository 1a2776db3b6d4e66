// The drawing layer of the Windows edition: GDI itself. Handles are the GDI handles; a window
// handle is the int32 the platform gives out for a control (an HWND's significant 32 bits).
#pragma once

#include "platform/platform_services.h"

namespace kalvor {

class Win32DrawingLayer : public DrawingLayer {
 public:
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
};

}  // namespace kalvor
