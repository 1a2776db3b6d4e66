// Stand-ins for the picture box, the GDI drawing layer and the artwork, until they are built:
// an empty box, no drawing, no icon.
#include "platform/win32/win32_drawing_layer.h"
#include "platform/win32/win32_picture_box.h"
#include "platform/win32/win32_resources.h"

namespace kalvor {

HWND Win32PictureBox::Create(HWND parent, int x, int y, int width, int height,
                             std::string_view /*resourcePath*/, int controlId) {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y, width, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                         GetModuleHandleW(nullptr), nullptr);
}
int Win32PictureBox::Steps(HWND /*hwnd*/) {
  return -1;
}

std::intptr_t Win32DrawingLayer::GetDC(std::int32_t) {
  return 0;
}
bool Win32DrawingLayer::ReleaseDC(std::int32_t, std::intptr_t) {
  return false;
}
std::intptr_t Win32DrawingLayer::CreateCompatibleDC(std::intptr_t) {
  return 0;
}
std::intptr_t Win32DrawingLayer::CreateCompatibleBitmap(std::intptr_t, std::int32_t, std::int32_t) {
  return 0;
}
std::intptr_t Win32DrawingLayer::SelectObject(std::intptr_t, std::intptr_t) {
  return 0;
}
std::intptr_t Win32DrawingLayer::CreatePen(std::int32_t, std::int32_t, std::int32_t) {
  return 0;
}
std::intptr_t Win32DrawingLayer::CreateSolidBrush(std::int32_t) {
  return 0;
}
bool Win32DrawingLayer::Rectangle(std::intptr_t, std::int32_t, std::int32_t, std::int32_t,
                                  std::int32_t) {
  return false;
}
bool Win32DrawingLayer::BitBlt(std::intptr_t, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t, std::intptr_t, std::int32_t, std::int32_t,
                               std::uint32_t) {
  return false;
}
bool Win32DrawingLayer::DeleteDC(std::intptr_t) {
  return false;
}
bool Win32DrawingLayer::DeleteObject(std::intptr_t) {
  return false;
}
bool Win32DrawingLayer::GradientFill(std::intptr_t, const GradientVertex*, std::uint32_t,
                                     std::uint32_t, std::uint32_t, std::uint32_t) {
  return false;
}

}  // namespace kalvor

namespace kalvor::win32_resources {
HICON LoadIconFor(std::string_view /*resourcePath*/, int /*size*/) {
  return nullptr;
}
}  // namespace kalvor::win32_resources
