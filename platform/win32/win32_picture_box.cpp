#include "platform/win32/win32_picture_box.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "platform/win32/win32_resources.h"

namespace kalvor {

namespace {

constexpr wchar_t kClassName[] = L"KalvorPictureBox";
constexpr UINT_PTR kFrameTimer = 1;
// A frame without a delay, or with one too short to be meant (10 ms or less), shows for 100 ms,
// as web browsers do.
constexpr int kDefaultDelayMs = 100;
constexpr int kShortestDelayMs = 20;
constexpr PROPID kFrameDelayTag = 0x5100;  // PropertyTagFrameDelay: one delay per frame, 1/100 s
// FrameDimensionTime, the frames of an animation.
constexpr GUID kTimeDimension = {
    0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

struct Frame {
  HBITMAP bitmap = nullptr;  // 32-bit, premultiplied alpha, at the picture's own size
  int delayMs = kDefaultDelayMs;
};

// What a box shows, decoded once when it is made; kept in the window's extra bytes.
struct Picture {
  std::vector<Frame> frames;
  int width = 0, height = 0;
  bool transparent = false;
  std::size_t current = 0;
  int steps = 0;
  bool running = false;
  bool checkPosted = false;
  std::vector<HWND> ancestors;  // whose showing, hiding and minimizing starts or stops the box

  ~Picture() {
    for (const Frame& frame : frames) ::DeleteObject(frame.bitmap);
  }
};

UINT CheckMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"KalvorPictureBoxCheck");
  return message;
}

Picture* PictureOf(HWND hwnd) {
  return reinterpret_cast<Picture*>(::GetWindowLongPtrW(hwnd, 0));
}

// The delay of every image of a GIF file in 1/100 s, from the graphic control extension before
// it (0 without one); empty when the bytes are no GIF or end early.
std::vector<std::uint32_t> GifDelays(std::span<const std::uint8_t> gif) {
  std::vector<std::uint32_t> delays;
  if (gif.size() < 13 || std::memcmp(gif.data(), "GIF8", 4) != 0) return {};
  std::size_t at = 13;
  auto colourTable = [&](std::uint8_t flags) {
    if (flags & 0x80) at += 3u << ((flags & 7) + 1);
  };
  auto skipSubBlocks = [&] {
    while (at < gif.size() && gif[at] != 0) at += gif[at] + 1u;
    ++at;
    return at <= gif.size();
  };
  colourTable(gif[10]);
  std::uint32_t pending = 0;
  while (at < gif.size()) {
    const std::uint8_t block = gif[at++];
    if (block == 0x3B) return delays;  // the trailer
    if (block == 0x21 && at < gif.size()) {
      const std::uint8_t label = gif[at++];
      if (label == 0xF9 && at + 4 < gif.size() && gif[at] >= 4) {
        pending = gif[at + 2] | (gif[at + 3] << 8);
      }
      if (!skipSubBlocks()) return {};
    } else if (block == 0x2C && at + 9 <= gif.size()) {
      colourTable(gif[at + 8]);
      at += 9 + 1;  // the descriptor and the code size
      if (!skipSubBlocks()) return {};
      delays.push_back(std::exchange(pending, 0));
    } else {
      return {};
    }
  }
  return {};
}

// GDI+ gives the delays as a property, but some versions give only the first frame's: the file's
// own are taken where they can be read.
std::vector<int> FrameDelays(Gdiplus::Bitmap& bitmap, UINT count,
                             std::span<const std::uint8_t> bytes) {
  std::vector<std::uint32_t> hundredths = GifDelays(bytes);
  if (hundredths.size() != count) {
    hundredths.assign(count, 0);
    const UINT size = bitmap.GetPropertyItemSize(kFrameDelayTag);
    std::vector<std::uint8_t> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (size >= sizeof(Gdiplus::PropertyItem) &&
        bitmap.GetPropertyItem(kFrameDelayTag, size, item) == Gdiplus::Ok) {
      for (UINT i = 0; i < count && (i + 1) * 4 <= item->length; ++i) {
        std::memcpy(&hundredths[i], static_cast<const std::uint8_t*>(item->value) + i * 4, 4);
      }
    }
  }
  std::vector<int> delays;
  for (const std::uint32_t each : hundredths) {
    const int ms = static_cast<int>(each > 100000 ? 100000 : each) * 10;
    delays.push_back(ms < kShortestDelayMs ? kDefaultDelayMs : ms);
  }
  return delays;
}

// The frame GDI+ has active, copied into a bitmap of our own.
HBITMAP CopyActiveFrame(Gdiplus::Bitmap& bitmap, int width, int height, bool& transparent) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP copy = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (copy == nullptr) return nullptr;
  Gdiplus::Rect all(0, 0, width, height);
  Gdiplus::BitmapData data{};
  if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) !=
      Gdiplus::Ok) {
    ::DeleteObject(copy);
    return nullptr;
  }
  for (int y = 0; y < height; ++y) {
    const auto* from = static_cast<const std::uint8_t*>(data.Scan0) + y * data.Stride;
    auto* to = static_cast<std::uint8_t*>(bits) + static_cast<std::size_t>(y) * width * 4;
    std::memcpy(to, from, static_cast<std::size_t>(width) * 4);
    for (int x = 0; x < width && !transparent; ++x) transparent = to[x * 4 + 3] != 0xFF;
  }
  bitmap.UnlockBits(&data);
  ::GdiFlush();
  return copy;
}

std::unique_ptr<Picture> Load(std::string_view resourcePath) {
  auto picture = std::make_unique<Picture>();
  const win32_resources::BitmapPtr bitmap = win32_resources::Decode(resourcePath);
  if (bitmap == nullptr) return picture;
  picture->width = static_cast<int>(bitmap->GetWidth());
  picture->height = static_cast<int>(bitmap->GetHeight());
  UINT count = bitmap->GetFrameCount(&kTimeDimension);
  if (count == 0) count = 1;  // a still picture
  const std::vector<int> delays = FrameDelays(*bitmap, count, win32_resources::Find(resourcePath));
  for (UINT i = 0; i < count; ++i) {
    if (count > 1 && bitmap->SelectActiveFrame(&kTimeDimension, i) != Gdiplus::Ok) break;
    HBITMAP frame = CopyActiveFrame(*bitmap, picture->width, picture->height, picture->transparent);
    if (frame == nullptr) break;
    picture->frames.push_back({frame, delays[i]});
  }
  return picture;
}

// Seen: the box and every window it lies in are shown, and its window is not minimized.
bool Seen(HWND hwnd) {
  return ::IsWindowVisible(hwnd) && !::IsIconic(::GetAncestor(hwnd, GA_ROOT));
}

void UpdateRunning(HWND hwnd, Picture& picture) {
  if (picture.frames.size() > 1 && Seen(hwnd)) {
    if (!picture.running) {
      picture.running = true;
      ::SetTimer(hwnd, kFrameTimer, static_cast<UINT>(picture.frames[picture.current].delayMs),
                 nullptr);
      ::InvalidateRect(hwnd, nullptr, FALSE);
    }
  } else if (picture.running) {
    picture.running = false;
    ::KillTimer(hwnd, kFrameTimer);
  }
}

// Looked at again once the change under way has been made.
void PostCheck(HWND hwnd, Picture& picture) {
  if (picture.checkPosted) return;
  picture.checkPosted = ::PostMessageW(hwnd, CheckMessage(), 0, 0) != FALSE;
}

void Step(HWND hwnd, Picture& picture) {
  if (!Seen(hwnd)) {
    UpdateRunning(hwnd, picture);
    return;
  }
  picture.current = (picture.current + 1) % picture.frames.size();
  ++picture.steps;
  ::InvalidateRect(hwnd, nullptr, FALSE);
  ::SetTimer(hwnd, kFrameTimer, static_cast<UINT>(picture.frames[picture.current].delayMs),
             nullptr);
}

// Drawn into a bitmap first and copied to the screen in one go, so the box never flickers.
void Paint(HWND hwnd, const Picture& picture) {
  PAINTSTRUCT paint;
  HDC screen = ::BeginPaint(hwnd, &paint);
  RECT client;
  ::GetClientRect(hwnd, &client);
  if (screen == nullptr || client.right <= 0 || client.bottom <= 0) {
    ::EndPaint(hwnd, &paint);
    return;
  }
  HDC buffer = ::CreateCompatibleDC(screen);
  HBITMAP canvas = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ before = ::SelectObject(buffer, canvas);
  // The parent gives the background, as for a static control.
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(buffer),
                                                       reinterpret_cast<LPARAM>(hwnd)));
  ::FillRect(buffer, &client, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
  if (!picture.frames.empty()) {
    // The picture sits in the top left corner at its own size, scaled for the monitor's DPI.
    const UINT dpi = ::GetDpiForWindow(hwnd);
    const int scale = dpi != 0 ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
    const int width = ::MulDiv(picture.width, scale, USER_DEFAULT_SCREEN_DPI);
    const int height = ::MulDiv(picture.height, scale, USER_DEFAULT_SCREEN_DPI);
    HDC source = ::CreateCompatibleDC(screen);
    HGDIOBJ sourceBefore = ::SelectObject(source, picture.frames[picture.current].bitmap);
    if (picture.transparent) {
      const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      ::AlphaBlend(buffer, 0, 0, width, height, source, 0, 0, picture.width, picture.height, blend);
    } else if (width == picture.width && height == picture.height) {
      ::BitBlt(buffer, 0, 0, width, height, source, 0, 0, SRCCOPY);
    } else {
      ::SetStretchBltMode(buffer, HALFTONE);
      ::SetBrushOrgEx(buffer, 0, 0, nullptr);
      ::StretchBlt(buffer, 0, 0, width, height, source, 0, 0, picture.width, picture.height,
                   SRCCOPY);
    }
    ::SelectObject(source, sourceBefore);
    ::DeleteDC(source);
  }
  const RECT& area = paint.rcPaint;
  ::BitBlt(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, buffer,
           area.left, area.top, SRCCOPY);
  ::SelectObject(buffer, before);
  ::DeleteObject(canvas);
  ::DeleteDC(buffer);
  ::EndPaint(hwnd, &paint);
}

LRESULT CALLBACK AncestorProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR data) {
  switch (message) {
    case WM_SHOWWINDOW:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: {
      auto box = reinterpret_cast<HWND>(data);
      if (Picture* picture = PictureOf(box)) PostCheck(box, *picture);
      break;
    }
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, &AncestorProcedure, id);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

void WatchAncestors(HWND hwnd, Picture& picture) {
  // Up to the top-level window, whose own parent is the desktop.
  const HWND root = ::GetAncestor(hwnd, GA_ROOT);
  for (HWND up = hwnd; up != root && up != nullptr;) {
    up = ::GetAncestor(up, GA_PARENT);
    if (up != nullptr &&
        ::SetWindowSubclass(up, &AncestorProcedure, reinterpret_cast<UINT_PTR>(hwnd),
                            reinterpret_cast<DWORD_PTR>(hwnd))) {
      picture.ancestors.push_back(up);
    }
  }
}

LRESULT CALLBACK BoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Picture* picture = PictureOf(hwnd);
  if (message == WM_NCCREATE) {
    // From here on the window owns the picture, freed as the window goes, even when the
    // creation fails later on.
    auto* handOver = static_cast<std::unique_ptr<Picture>*>(
        reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(handOver->release()));
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (picture == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == CheckMessage()) {
    picture->checkPosted = false;
    UpdateRunning(hwnd, *picture);
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      WatchAncestors(hwnd, *picture);
      PostCheck(hwnd, *picture);
      return 0;
    case WM_TIMER:
      if (wParam != kFrameTimer) break;
      Step(hwnd, *picture);
      return 0;
    case WM_SHOWWINDOW:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      PostCheck(hwnd, *picture);
      break;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      Paint(hwnd, *picture);
      return 0;
    case WM_DPICHANGED_AFTERPARENT:
      ::InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      ::KillTimer(hwnd, kFrameTimer);
      for (HWND up : picture->ancestors) {
        ::RemoveWindowSubclass(up, &AncestorProcedure, reinterpret_cast<UINT_PTR>(hwnd));
      }
      ::SetWindowLongPtrW(hwnd, 0, 0);
      delete picture;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

ATOM RegisterBoxClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = &BoxProcedure;
    type.cbWndExtra = sizeof(LONG_PTR);
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = kClassName;
    return ::RegisterClassExW(&type);
  }();
  return atom;
}

}  // namespace

HWND Win32PictureBox::Create(HWND parent, int x, int y, int width, int height,
                             std::string_view resourcePath, int controlId) {
  if (RegisterBoxClass() == 0) return nullptr;
  std::unique_ptr<Picture> picture = Load(resourcePath);
  HWND hwnd =
      ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
                        height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                        ::GetModuleHandleW(nullptr), &picture);
  return hwnd;
}

int Win32PictureBox::Steps(HWND hwnd) {
  if (hwnd == nullptr || ::GetClassLongPtrW(hwnd, GCW_ATOM) != RegisterBoxClass()) return -1;
  const Picture* picture = PictureOf(hwnd);
  return picture != nullptr ? picture->steps : 0;
}

std::vector<int> Win32PictureBox::Delays(HWND hwnd) {
  std::vector<int> delays;
  if (Steps(hwnd) < 0) return delays;
  if (const Picture* picture = PictureOf(hwnd)) {
    for (const Frame& frame : picture->frames) delays.push_back(frame.delayMs);
  }
  return delays;
}

}  // namespace kalvor
