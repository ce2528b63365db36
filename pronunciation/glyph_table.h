#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pelmo {

// A glyph bitmap's resource id; its low 16 bits are what the resource loader takes.
using GlyphId = int32_t;

struct GlyphEntry {
  std::string_view token;
  GlyphId id;
};

// The fixed dictionary from notation token to glyph bitmap. The view owns one and only reads it.
class GlyphTable {
 public:
  static constexpr size_t kSize = 83;
  using EntryArray = std::array<GlyphEntry, kSize>;

  GlyphTable() noexcept;

  // The id stored under exactly `token`: case-sensitive, no prefix or nearest match.
  std::optional<GlyphId> Find(std::string_view token) const noexcept;

  // Every entry, in the order the table was built (deck tools list them this way).
  static const EntryArray& Entries() noexcept;

 private:
  // Positions in Entries(), ordered by token bytes so that Find can search by halves.
  std::array<uint8_t, kSize> byToken_;
};

}  // namespace pelmo
