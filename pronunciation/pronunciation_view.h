#pragma once

#include <windows.h>

#include <string>

#include "pronunciation/glyph_table.h"
#include "ui/window_object.h"

namespace pelmo {

// A bordered box that draws a pronunciation as a row of glyph bitmaps from the resources,
// left to right from client column 5, on white.
class PronunciationView : public StaticLabel {
 public:
  // Keeps the notation for the next paint; the native window's own text stays empty and
  // nothing is invalidated.
  BOOL SetText(const char* newText) override;
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void PaintGlyphs(HDC hdc);

  GlyphTable glyphs;
  std::string text;
};

}  // namespace pelmo
