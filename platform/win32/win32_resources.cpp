#include "platform/win32/win32_resources.h"

#include <gdiplus.h>
#include <objidl.h>
#include <shlwapi.h>

namespace kalvor::win32_resources {

std::wstring NameFor(std::string_view resourcePath) {
  if (resourcePath.starts_with(":/")) resourcePath.remove_prefix(2);
  std::wstring name;
  name.reserve(resourcePath.size());
  for (const char c : resourcePath) {
    // A character beyond ASCII is one "_", however many bytes UTF-8 gives it.
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;
    if (c >= 'a' && c <= 'z') {
      name.push_back(static_cast<wchar_t>(c - 'a' + 'A'));
    } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      name.push_back(static_cast<wchar_t>(c));
    } else {
      name.push_back(L'_');
    }
  }
  return name;
}

std::span<const std::uint8_t> Find(std::string_view resourcePath) {
  const std::wstring name = NameFor(resourcePath);
  if (name.empty()) return {};
  const HMODULE program = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(program, name.c_str(), RT_RCDATA);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(program, found);
  const DWORD size = ::SizeofResource(program, found);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return {};
  return {static_cast<const std::uint8_t*>(bytes), size};
}

bool StartGdiplus() {
  // Started once and never shut down: pictures may be drawn until the process ends.
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

void BitmapDeleter::operator()(Gdiplus::Bitmap* bitmap) const {
  delete bitmap;
  if (stream != nullptr) stream->Release();
}

BitmapPtr Decode(std::string_view resourcePath) {
  const std::span<const std::uint8_t> bytes = Find(resourcePath);
  if (bytes.empty() || !StartGdiplus()) return nullptr;
  IStream* stream = ::SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  if (stream == nullptr) return nullptr;
  // GDI+ may read from the stream again whenever another frame is selected.
  BitmapPtr bitmap(new Gdiplus::Bitmap(stream), BitmapDeleter{stream});
  if (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0) return nullptr;
  return bitmap;
}

HICON LoadIconFor(std::string_view resourcePath, int size) {
  if (size <= 0) return nullptr;
  const BitmapPtr picture = Decode(resourcePath);
  if (picture == nullptr) return nullptr;
  Gdiplus::Bitmap scaled(size, size, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&scaled);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    graphics.DrawImage(picture.get(), 0, 0, size, size);
  }
  HICON icon = nullptr;
  if (scaled.GetHICON(&icon) != Gdiplus::Ok) return nullptr;
  return icon;
}

}  // namespace kalvor::win32_resources
