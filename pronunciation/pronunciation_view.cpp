#include "pronunciation/pronunciation_view.h"

#include "pronunciation/notation.h"

namespace pelmo {

BOOL PronunciationView::SetText(const char* newText) {
  text = newText != nullptr ? newText : "";
  return TRUE;
}

LRESULT PronunciationView::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The native STATIC procedure is never called: it would draw the window text.
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    PaintGlyphs(hdc);
    EndPaint(hwnd, &ps);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void PronunciationView::PaintGlyphs(HDC hdc) {
  // The recorded rectangle is the outer size; the client area is one pixel smaller all round.
  const int width = right - left;
  const int height = bottom - top;
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  HBITMAP buffer = CreateCompatibleBitmap(hdc, width, height);
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ previous = SelectObject(memory, buffer);
  const RECT fill = {0, 0, width - 1, height - 1};
  FillRect(memory, &fill, white);

  text = NormalizeNotation(text);
  int x = 5;
  ScanNotation(text, glyphs, [&](const NotationPiece& piece) {
    if (!piece.id) {
      return;
    }
    HBITMAP glyph = LoadBitmapA(instance, MAKEINTRESOURCEA(*piece.id & 0xFFFF));
    if (glyph == nullptr) {
      return;  // no such bitmap: skipped, and the row does not advance
    }
    BITMAP info = {};
    GetObjectA(glyph, sizeof info, &info);
    HDC glyphDc = CreateCompatibleDC(memory);
    HGDIOBJ previousGlyph = SelectObject(glyphDc, glyph);
    BitBlt(memory, x, 0, info.bmWidth, info.bmHeight, glyphDc, 0, 0, SRCCOPY);
    x += info.bmWidth;
    SelectObject(glyphDc, previousGlyph);
    DeleteDC(glyphDc);
    DeleteObject(glyph);
  });

  BitBlt(hdc, 0, 0, width, height - 2, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(white);
  DeleteObject(buffer);
}

}  // namespace pelmo
