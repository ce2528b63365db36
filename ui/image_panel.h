#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/dib_image.h"
#include "ui/window_object.h"

namespace pelmo {

// A control that shows one bitmap of the resources stretched over its rectangle, painted
// double-buffered over the button-face colour, with one key colour optionally transparent.
class ImagePanel : public WindowObject {
 public:
  // A borderless "STATIC" window; the object paints it.
  HWND Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
              HINSTANCE moduleInstance) override;
  // Copies bitmap `id` from the module in `instance`; a missing or malformed bitmap leaves the
  // panel as it was (unloaded, it paints button face only).
  void LoadBitmapResource(WORD resourceId);
  void SetTransparentColor(COLORREF key);

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Paint(HDC hdc);

  void DrawMask(HDC hdc, int x, int y);
  void DrawImage(HDC hdc, int x, int y);

  DibImage image;
  // How far the drawn image reaches beyond the rectangle on each side; negative is an inset.
  int margin = 0;

 protected:
  void PaintFromMessage(HWND hwnd);

 private:
  void Stretch(HDC hdc, int x, int y, const void* bits, const uint8_t* header, DWORD rop);
};

}  // namespace pelmo
