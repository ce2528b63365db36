#pragma once

#include <windows.h>

#include <cstdint>

namespace pelmo::testing {

// A real top-level window to parent the controls under test.
class TestParent {
 public:
  TestParent() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "pelmo test parent";
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClassExA(&wc);  // fails harmlessly when already registered
    window = CreateWindowExA(0, "pelmo test parent", "test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             640, 480, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~TestParent() { DestroyWindow(window); }
  TestParent(const TestParent&) = delete;
  TestParent& operator=(const TestParent&) = delete;

  HWND window = nullptr;
};

// A 32-bit top-down bitmap with a device context, to paint into and read back exactly.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(1, 2, 3)) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    bitmap_ =
        CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc, bitmap_);
    for (int i = 0; i < width * height; ++i) {
      bits_[i] = GetBValue(fill) | GetGValue(fill) << 8 | GetRValue(fill) << 16;
    }
  }
  ~Canvas() {
    SelectObject(dc, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    const uint32_t v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  // True when every pixel of the rectangle [x0, x1) x [y0, y1) has the colour.
  bool All(int x0, int y0, int x1, int y1, COLORREF color) const {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (Pixel(x, y) != color) {
          return false;
        }
      }
    }
    return true;
  }
  int width() const { return width_; }
  int height() const { return height_; }

  HDC dc = nullptr;

 private:
  int width_;
  int height_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace pelmo::testing
