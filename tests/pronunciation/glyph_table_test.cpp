#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string>

#include "pronunciation/glyph_table.h"

namespace pelmo {
namespace {

using namespace std::string_literals;

// The table from its structure: a letter draws itself; each vowel has a plain, an acute ("!") and
// a grave ("!!") bitmap at consecutive ids, and the vowels written with "0" may drop it before a
// stress mark; the other symbols have one bitmap each.
std::map<std::string, GlyphId> ExpectedKeys() {
  std::map<std::string, GlyphId> keys;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    keys[std::string(1, letter)] = 107 + (letter - 'a');
  }
  const std::pair<const char*, GlyphId> vowels[] = {
      {"a0", 300}, {"a1", 303}, {"a2", 306}, {"ae", 309}, {"e0", 312}, {"e1", 315},
      {"e2", 318}, {"i0", 321}, {"i1", 324}, {"o0", 328}, {"o1", 331}, {"u0", 334}};
  for (const auto& [base, id] : vowels) {
    for (int stress = 0; stress < 3; ++stress) {
      const std::string marks(stress, '!');
      keys[base + marks] = id + stress;
      if (base[1] == '0' && stress > 0) {
        keys[base[0] + marks] = id + stress;
      }
    }
  }
  const std::pair<const char*, GlyphId> others[] = {
      {"(", 350},  {"<", 350},  {")", 351},  {">", 351},  {":", 327}, {";", 327},
      {"g1", 337}, {"ng", 338}, {"s1", 339}, {"s2", 340}, {"t1", 341}};
  for (const auto& [token, id] : others) {
    keys[token] = id;
  }
  return keys;
}

TEST(GlyphTable, HoldsExactlyTheKeysOfItsStructureAndFindsEach) {
  const std::map<std::string, GlyphId> expected = ExpectedKeys();
  std::map<std::string, GlyphId> entries;
  for (const GlyphEntry& e : GlyphTable::Entries()) {
    entries[std::string(e.token)] = e.id;
  }
  EXPECT_EQ(entries, expected);
  // Guard bytes round the table: building its index stays inside it.
  struct {
    uint8_t before[64];
    GlyphTable table;
    uint8_t after[64];
  } guarded;
  std::memset(guarded.before, 0xA5, sizeof guarded.before);
  std::memset(guarded.after, 0xA5, sizeof guarded.after);
  new (&guarded.table) GlyphTable();
  for (const auto& [token, id] : expected) {
    EXPECT_EQ(guarded.table.Find(token), std::optional<GlyphId>(id)) << '"' << token << '"';
  }
  for (size_t i = 0; i < 64; ++i) {
    ASSERT_TRUE(guarded.before[i] == 0xA5 && guarded.after[i] == 0xA5) << "guard byte " << i;
  }
}

TEST(GlyphTable, FindsOnlyExactKeys) {
  // Upper case, numbers no symbol has, stress on consonants, prefixes and extensions of keys, the
  // bracketed spelling, two-byte characters, and keys followed by a NUL (which must not end them).
  for (const std::string& token :
       {""s,     "A"s,    "A0"s, "NG"s,       "a3"s,  "u1"s,   "o2"s,   "b1"s,  "a0!!!"s,
        "a!!!"s, "!"s,    "0"s,  "a0 "s,      " a"s,  "(("s,   "[ae]"s, "ae0"s, "ng1"s,
        "g1!"s,  "s2!!"s, "aa"s, "\x82\xa0"s, "a\0"s, "a0\0"s, "\x7f"s, "{"s,   "`"s}) {
    EXPECT_EQ(GlyphTable().Find(token), std::nullopt) << '"' << token << '"';
  }
}

}  // namespace
}  // namespace pelmo
