#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "pronunciation/glyph_table.h"

namespace pelmo::deck {

// The viewer's glyph bitmaps, generated at build time from the same text art and rows as its
// resources and its glyph table (tools/glyphs.py).
struct GlyphBitmap {
  static constexpr int kHeight = 32;

  GlyphId id;
  int width;
  // What it draws, as IPA in UTF-8: a plain letter as itself, a phonetic symbol as its IPA
  // letter, stress as a combining acute (U+0301) or grave (U+0300) after the vowel, the length
  // mark as U+02D0 and both bracket glyphs as "(" and ")".
  const char* ipa;
  uint32_t rows[kHeight];  // from the top; bit x is set where column x is black

  bool Black(int x, int y) const { return (rows[y] >> x & 1u) != 0; }
};

inline constexpr size_t kGlyphBitmapCount = 70;
extern const GlyphBitmap kGlyphBitmaps[kGlyphBitmapCount];  // ascending ids

// The bitmaps the pronunciation view draws for a notation, left to right: the text folded and
// scanned as the view does it. Like the view, an id without a bitmap would take no room; the
// glyph table has none such.
std::vector<const GlyphBitmap*> NotationGlyphs(std::string_view notation);

}  // namespace pelmo::deck
