#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pronunciation/glyph_table.h"

namespace pelmo::deck {

// What a glyph draws, as Unicode IPA in UTF-8: plain letters as themselves, the phonetic symbols
// as their IPA letters, stress as a combining acute (U+0301) or grave (U+0300) after the vowel,
// the length mark as U+02D0 and both bracket glyphs as "(" and ")". Nothing for an unknown id.
std::optional<std::string> GlyphIpa(GlyphId id);

// The IPA of a notation exactly as the view draws it: folded, scanned, and what draws nothing
// left out.
std::string NotationToIpa(std::string_view notation);

}  // namespace pelmo::deck
