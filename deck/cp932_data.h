#pragma once

#include <cstddef>
#include <cstdint>

// The code page 932 tables, generated at build time by tools/cp932_table.py from Python's cp932
// codec. Only deck/text_encoding.cpp reads them.
namespace pelmo::cp932_data {

// Lead bytes 0x81-0x9F then 0xE0-0xFC; trail bytes 0x40-0xFC (0x7F is never a character).
inline constexpr size_t kLeadCount = 60;
inline constexpr size_t kTrailCount = 0xFC - 0x40 + 1;
inline constexpr unsigned kTrailFirst = 0x40;

// The code point of lead/trail, 0 where the pair is no character.
extern const uint16_t kDoubleByte[kLeadCount][kTrailCount];

// A code point the code page holds: its single byte (below 0x100) or lead << 8 | trail.
struct EncodeEntry {
  uint16_t codePoint;
  uint16_t bytes;
};
inline constexpr size_t kEncodeCount = 9397;
extern const EncodeEntry kEncode[kEncodeCount];  // ascending code points

// A code point the codec writes with another's bytes, and the code point those bytes read as.
struct Counterpart {
  uint16_t codePoint;
  uint16_t readsAs;
};
inline constexpr size_t kCounterpartCount = 6;
extern const Counterpart kCounterparts[kCounterpartCount];  // ascending code points

}  // namespace pelmo::cp932_data
