#include "deck/render.h"

#include <algorithm>

#include "deck/glyph_bitmaps.h"
#include "pronunciation/notation.h"

namespace pelmo::deck {

const GlyphBitmap* FindGlyphBitmap(GlyphId id) {
  const auto* end = kGlyphBitmaps + kGlyphBitmapCount;
  const auto* it = std::lower_bound(kGlyphBitmaps, end, id,
                                    [](const GlyphBitmap& g, GlyphId key) { return g.id < key; });
  return it != end && it->id == id ? it : nullptr;
}

bool RenderNotation(std::string_view notation, int scale, GrayImage& image, std::string& error) {
  if (scale < 1 || scale > kRenderMaxScale) {
    error = "the scale must be a whole number from 1 to " + std::to_string(kRenderMaxScale);
    return false;
  }
  static const GlyphTable table;
  std::vector<const GlyphBitmap*> glyphs;
  long long glyphWidth = 0;
  for (const GlyphId id : ScanNotation(NormalizeNotation(notation), table)) {
    // Like the view, a glyph without a bitmap would take no room; the table has none such.
    if (const GlyphBitmap* g = FindGlyphBitmap(id)) {
      glyphs.push_back(g);
      glyphWidth += g->width;
    }
  }
  const long long clientWidth = kRenderLeftMargin + glyphWidth + kRenderRightMargin;
  const long long width = (clientWidth + 2) * scale;
  if (width > kRenderMaxWidth) {
    error = "the picture would be " + std::to_string(width) + " pixels wide; the limit is " +
            std::to_string(kRenderMaxWidth);
    return false;
  }
  const int w = static_cast<int>(clientWidth + 2);
  const int h = GlyphBitmap::kHeight + 2;
  std::vector<uint8_t> unscaled(static_cast<size_t>(w) * h, 255);
  auto set = [&](int x, int y, uint8_t v) { unscaled[static_cast<size_t>(y) * w + x] = v; };
  for (int x = 0; x < w; ++x) {
    set(x, 0, 0);
    set(x, h - 1, 0);
  }
  for (int y = 0; y < h; ++y) {
    set(0, y, 0);
    set(w - 1, y, 0);
  }
  int left = 1 + kRenderLeftMargin;
  for (const GlyphBitmap* g : glyphs) {
    for (int y = 0; y < GlyphBitmap::kHeight; ++y) {
      for (int x = 0; x < g->width; ++x) {
        set(left + x, 1 + y, g->Black(x, y) ? 0 : 255);
      }
    }
    left += g->width;
  }
  image.width = w * scale;
  image.height = h * scale;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height, 255);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.pixels[static_cast<size_t>(y) * image.width + x] =
          unscaled[static_cast<size_t>(y / scale) * w + x / scale];
    }
  }
  return true;
}

}  // namespace pelmo::deck
