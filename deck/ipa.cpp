#include "deck/ipa.h"

#include "deck/glyph_bitmaps.h"

namespace pelmo::deck {

std::optional<std::string> GlyphIpa(GlyphId id) {
  for (const GlyphBitmap& g : kGlyphBitmaps) {
    if (g.id == id) {
      return std::string(g.ipa);
    }
  }
  return std::nullopt;
}

std::string NotationToIpa(std::string_view notation) {
  std::string ipa;
  for (const GlyphBitmap* g : NotationGlyphs(notation)) {
    ipa += g->ipa;
  }
  return ipa;
}

}  // namespace pelmo::deck
