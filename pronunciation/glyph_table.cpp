#include "pronunciation/glyph_table.h"

#include <algorithm>

namespace pelmo {

namespace {

// Plain letters draw the Latin letter; the digit forms and brackets reach the phonetic symbols.
// A trailing "!" is primary stress (acute), "!!" secondary stress (grave).
// clang-format off
constexpr GlyphTable::EntryArray kEntries = {{
    {"(", 350}, {")", 351}, {"<", 350}, {">", 351},
    {"a", 107}, {"b", 108}, {"c", 109}, {"d", 110}, {"e", 111}, {"f", 112}, {"g", 113},
    {"h", 114}, {"i", 115}, {"j", 116}, {"k", 117}, {"l", 118}, {"m", 119}, {"n", 120},
    {"o", 121}, {"p", 122}, {"q", 123}, {"r", 124}, {"s", 125}, {"t", 126}, {"u", 127},
    {"v", 128}, {"w", 129}, {"x", 130}, {"y", 131}, {"z", 132},
    {"a0", 300}, {"a0!", 301}, {"a0!!", 302}, {"a!", 301}, {"a!!", 302},
    {"a1", 303}, {"a1!", 304}, {"a1!!", 305},
    {"a2", 306}, {"a2!", 307}, {"a2!!", 308},
    {"ae", 309}, {"ae!", 310}, {"ae!!", 311},
    {"e0", 312}, {"e0!", 313}, {"e0!!", 314}, {"e!", 313}, {"e!!", 314},
    {"e1", 315}, {"e1!", 316}, {"e1!!", 317},
    {"e2", 318}, {"e2!", 319}, {"e2!!", 320},
    {"i0", 321}, {"i0!", 322}, {"i0!!", 323}, {"i!", 322}, {"i!!", 323},
    {"i1", 324}, {"i1!", 325}, {"i1!!", 326},
    {":", 327}, {";", 327},
    {"o0", 328}, {"o0!", 329}, {"o0!!", 330}, {"o!", 329}, {"o!!", 330},
    {"o1", 331}, {"o1!", 332}, {"o1!!", 333},
    {"u0", 334}, {"u0!", 335}, {"u0!!", 336}, {"u!", 335}, {"u!!", 336},
    {"g1", 337}, {"ng", 338}, {"s1", 339}, {"s2", 340}, {"t1", 341},
}};
// clang-format on

}  // namespace

GlyphTable::GlyphTable() noexcept {
  for (size_t i = 0; i < kSize; ++i) {
    byToken_[i] = static_cast<uint8_t>(i);
  }
  // Equal tokens stay in build order, so the first one built is the one found (as a map that keeps
  // its first insertion would do); the tokens are all distinct today.
  std::sort(byToken_.begin(), byToken_.end(), [](uint8_t a, uint8_t b) {
    const std::string_view ta = kEntries[a].token;
    const std::string_view tb = kEntries[b].token;
    return ta < tb || (ta == tb && a < b);
  });
}

std::optional<GlyphId> GlyphTable::Find(std::string_view token) const noexcept {
  const auto it = std::lower_bound(
      byToken_.begin(), byToken_.end(), token,
      [](uint8_t index, std::string_view key) { return kEntries[index].token < key; });
  if (it == byToken_.end() || kEntries[*it].token != token) {
    return std::nullopt;
  }
  return kEntries[*it].id;
}

const GlyphTable::EntryArray& GlyphTable::Entries() noexcept {
  return kEntries;
}

}  // namespace pelmo
