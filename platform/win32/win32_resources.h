// The artwork the program file carries as resources (the window icon, the two banners): found by
// the resource path the forms name them by (":/kalvor/banner_top.gif"), which becomes the name of
// an RCDATA resource of the program (board/assets/board_assets.rc): the path without ":/",
// upper-cased, every character other than a letter or digit turned into "_"
// ("KALVOR_BANNER_TOP_GIF").
#pragma once

#include <windows.h>
// IStream
#include <objidl.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace Gdiplus {
class Bitmap;
}

namespace kalvor::win32_resources {

std::wstring NameFor(std::string_view resourcePath);
// The bytes of the resource; empty when the program carries none by that path.
std::span<const std::uint8_t> Find(std::string_view resourcePath);
// The picture as an icon of the given size in pixels; nullptr when missing or unreadable. The
// caller destroys it (DestroyIcon).
HICON LoadIconFor(std::string_view resourcePath, int size);

// GDI+ started for the rest of the process (once; later calls return at once). False when it
// cannot start.
bool StartGdiplus();
// The picture decoded by GDI+ (GIF frames and their properties included); nullptr when missing or
// unreadable. The bitmap reads from a stream of its own, released with the bitmap.
struct BitmapDeleter {
  IStream* stream = nullptr;
  void operator()(Gdiplus::Bitmap* bitmap) const;
};
using BitmapPtr = std::unique_ptr<Gdiplus::Bitmap, BitmapDeleter>;
BitmapPtr Decode(std::string_view resourcePath);

}  // namespace kalvor::win32_resources
