#include "deck/render.h"

#include <algorithm>

#include "deck/glyph_bitmaps.h"
#include "pronunciation/notation.h"

namespace pelmo::deck {

namespace {

// As the pronunciation view lays the glyphs out: white margins before and after them.
constexpr int kRenderLeftMargin = 5;
constexpr int kRenderRightMargin = 5;
// PNG allows more, but no reader need cope with a wider strip of glyphs.
constexpr int kRenderMaxWidth = 65535;

}  // namespace

std::vector<const GlyphBitmap*> NotationGlyphs(std::string_view notation) {
  static const GlyphTable table;
  const auto* end = kGlyphBitmaps + kGlyphBitmapCount;
  std::vector<const GlyphBitmap*> glyphs;
  for (const GlyphId id : ScanNotation(NormalizeNotation(notation), table)) {
    const auto* it = std::lower_bound(kGlyphBitmaps, end, id,
                                      [](const GlyphBitmap& g, GlyphId key) { return g.id < key; });
    if (it != end && it->id == id) {
      glyphs.push_back(it);
    }
  }
  return glyphs;
}

void DrawGlyph(const GlyphBitmap& glyph, int left, int top, GrayImage& image) {
  for (int y = 0; y < GlyphBitmap::kHeight; ++y) {
    for (int x = 0; x < glyph.width; ++x) {
      image.pixels[static_cast<size_t>(top + y) * image.width + left + x] =
          glyph.Black(x, y) ? 0 : 255;
    }
  }
}

bool RenderNotation(std::string_view notation, int scale, GrayImage& image, std::string& error) {
  if (scale < 1 || scale > kRenderMaxScale) {
    error = "the scale must be a whole number from 1 to " + std::to_string(kRenderMaxScale);
    return false;
  }
  const std::vector<const GlyphBitmap*> glyphs = NotationGlyphs(notation);
  long long glyphWidth = 0;
  for (const GlyphBitmap* g : glyphs) {
    glyphWidth += g->width;
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
  GrayImage unscaled{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h)};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      unscaled.pixels[static_cast<size_t>(y) * w + x] = border ? 0 : 255;
    }
  }
  int left = 1 + kRenderLeftMargin;
  for (const GlyphBitmap* g : glyphs) {
    DrawGlyph(*g, left, 1, unscaled);
    left += g->width;
  }
  image.width = w * scale;
  image.height = h * scale;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height, 255);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.pixels[static_cast<size_t>(y) * image.width + x] = unscaled.At(x / scale, y / scale);
    }
  }
  return true;
}

}  // namespace pelmo::deck
