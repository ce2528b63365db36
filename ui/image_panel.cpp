#include "ui/image_panel.h"

namespace pelmo {

HWND ImagePanel::Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
                        HINSTANCE moduleInstance) {
  return CreateWith("STATIC", WS_CHILD | WS_VISIBLE, x, y, width, height, text, parentWindow,
                    moduleInstance);
}

void ImagePanel::LoadBitmapResource(WORD resourceId) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(2));
  if (found == nullptr) {
    return;
  }
  HGLOBAL handle = LoadResource(instance, found);
  const void* data = handle != nullptr ? LockResource(handle) : nullptr;
  if (data == nullptr) {
    return;
  }
  image.Load(data, SizeofResource(instance, found));
}

void ImagePanel::SetTransparentColor(COLORREF key) {
  image.SetTransparentColor(key);
}

void ImagePanel::Stretch(HDC hdc, int x, int y, const void* bits, const uint8_t* header,
                         DWORD rop) {
  const int w = right - left;
  const int h = bottom - top;
  StretchDIBits(hdc, x - margin, y - margin, w + 2 * margin, h + 2 * margin, 0, 0, image.width,
                image.height, bits, reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS,
                rop);
}

void ImagePanel::DrawMask(HDC hdc, int x, int y) {
  if (image.hasMask && image.loaded) {
    Stretch(hdc, x, y, image.mask, image.maskHeader, SRCAND);
  }
}

void ImagePanel::DrawImage(HDC hdc, int x, int y) {
  if (image.loaded) {
    Stretch(hdc, x, y, image.pixels, image.imageHeader, image.hasMask ? SRCPAINT : SRCCOPY);
  }
}

void ImagePanel::Paint(HDC hdc) {
  const int w = right - left;
  const int h = bottom - top;
  HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  HBITMAP offscreen = CreateCompatibleBitmap(hdc, w, h);
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ previous = SelectObject(memory, offscreen);
  const RECT all = {0, 0, w, h};
  FillRect(memory, &all, brush);
  DrawMask(memory, 0, 0);
  DrawImage(memory, 0, 0);
  BitBlt(hdc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(brush);
  DeleteObject(offscreen);
}

void ImagePanel::PaintFromMessage(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  Paint(hdc);
  EndPaint(hwnd, &ps);
}

LRESULT ImagePanel::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The native STATIC procedure is never called: it would paint over the image, and it would let
  // mouse messages pass through to the parent.
  if (message == WM_PAINT) {
    PaintFromMessage(hwnd);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace pelmo
