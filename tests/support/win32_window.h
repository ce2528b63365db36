#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace pelmo::testing {

// Polls `done` for up to 20 s, handling this thread's messages below WM_APP in between: under Wine
// on a busy machine what usually takes milliseconds can take seconds.
inline bool WaitUntil(const std::function<bool()>& done) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(10)) {
    for (MSG m; PeekMessageA(&m, nullptr, 0, WM_APP - 1, PM_REMOVE);) {
      DispatchMessageA(&m);
    }
    if (GetTickCount() - start > 20000) {
      return false;
    }
  }
  return true;
}

// A real top-level window to parent the controls under test; its class has no cursor.
struct TestParent {
  TestParent() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = "pelmo test parent";
    RegisterClassA(&wc);  // fails harmlessly when already registered
    window = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                             480, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~TestParent() { DestroyWindow(window); }
  HWND window;
};

// A 32-bit top-down bitmap to paint or copy into and read back exactly. It starts in a colour
// nothing paints, so a painter that never draws shows.
class Canvas {
 public:
  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO info = {{sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    dc = CreateCompatibleDC(nullptr);
    bitmap_ =
        CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc, bitmap_);
    std::fill(bits_, bits_ + w * h, 0x010203);
  }
  ~Canvas() {
    SelectObject(dc, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc);
  }

  void CopyFrom(HDC source, int x, int y) {
    BitBlt(dc, 0, 0, width, height, source, x, y, SRCCOPY);
  }
  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    const uint32_t v = bits_[y * width + x];
    return RGB(v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF);
  }
  // How many pixels of the rectangle, or of the whole canvas, have the colour.
  int Count(COLORREF color, RECT r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        n += Pixel(x, y) == color;
      }
    }
    return n;
  }
  int Count(COLORREF color) const { return Count(color, {0, 0, width, height}); }
  const int width, height;
  HDC dc;

 private:
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  uint32_t* bits_ = nullptr;
};

}  // namespace pelmo::testing
