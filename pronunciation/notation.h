#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pronunciation/glyph_table.h"

namespace pelmo {

// Folds ASCII A-Z to a-z. A byte of 0x80 or more is a lead byte and its follower is copied with it
// unfolded, whatever it is. The result has the input's length.
std::string NormalizeNotation(std::string_view text);

// One stretch of a normalised notation. A scan's pieces follow one another without gaps or
// overlap, so together they cover the text exactly.
struct NotationPiece {
  enum class Kind {
    kToken,             // a start character with its continuation run; `key` is the whole token
    kBracketedKey,      // "[...]"; `key` is what lies between the brackets
    kUnmatchedBracket,  // a "[" with no "]" after it: skipped alone, the rest scanned as usual
    kSkipped,           // a byte that starts nothing, or a two-byte character
  };

  Kind kind;
  size_t position;            // of the first byte, in the normalised text
  size_t length;              // in bytes, brackets included; 1 for a lead byte that ends the text
  std::string_view key;       // what was looked up, within the text; empty for the last two kinds
  std::optional<GlyphId> id;  // empty when the key is not in the table or nothing was looked up
};

// Cuts a normalised notation into pieces one at a time, looking tokens up as it goes.
// The whole walk is linear in the text's length.
class NotationScanner {
 public:
  NotationScanner(std::string_view normalised, const GlyphTable& table) noexcept
      : text_(normalised), table_(&table) {}

  // The next piece, or nothing once the text is used up.
  std::optional<NotationPiece> Next() noexcept;

 private:
  size_t FindClose(size_t from) const noexcept;

  std::string_view text_;
  const GlyphTable* table_;
  size_t position_ = 0;
  // A search for "]" already ran to the end of the text, so no later "[" can be closed either.
  bool noCloseAhead_ = false;
};

// Hands every piece of the normalised text to `onPiece`, in text order.
template <typename OnPiece>
void ScanNotation(std::string_view normalised, const GlyphTable& table, OnPiece&& onPiece) {
  NotationScanner scanner(normalised, table);
  while (std::optional<NotationPiece> piece = scanner.Next()) {
    onPiece(*piece);
  }
}

// The ids to draw for the normalised text, in order.
std::vector<GlyphId> ScanNotation(std::string_view normalised, const GlyphTable& table);

}  // namespace pelmo
