#pragma once

#include <cstddef>
#include <cstdint>

#include "pronunciation/glyph_table.h"

namespace pelmo::deck {

// The viewer's glyph bitmaps, generated at build time from the same text art as its resources.
struct GlyphBitmap {
  static constexpr int kHeight = 32;

  GlyphId id;
  int width;
  uint32_t rows[kHeight];  // from the top; bit x is set where column x is black

  bool Black(int x, int y) const { return (rows[y] >> x & 1u) != 0; }
};

inline constexpr size_t kGlyphBitmapCount = 70;
extern const GlyphBitmap kGlyphBitmaps[kGlyphBitmapCount];  // ascending ids

// The bitmap of an id, or null when there is none (no id of the glyph table lacks one).
const GlyphBitmap* FindGlyphBitmap(GlyphId id);

}  // namespace pelmo::deck
