#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pronunciation/glyph_table.h"

namespace pelmo::deck {

// What a glyph draws, as Unicode IPA in UTF-8 (GlyphBitmap::ipa). Nothing for an unknown id.
std::optional<std::string> GlyphIpa(GlyphId id);

// The IPA of a notation exactly as the view draws it: folded, scanned, and what draws nothing
// left out.
std::string NotationToIpa(std::string_view notation);

}  // namespace pelmo::deck
