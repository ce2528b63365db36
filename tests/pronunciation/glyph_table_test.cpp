#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pronunciation/glyph_table.h"

namespace pelmo {
namespace {

using namespace std::string_literals;

struct Key {
  std::string token;
  GlyphId id;
};

// Looks every row up and names the token in the failure message.
void ExpectFound(const GlyphTable& table, const std::vector<Key>& keys) {
  for (const Key& k : keys) {
    EXPECT_EQ(table.Find(k.token), std::optional<GlyphId>(k.id)) << '"' << k.token << '"';
  }
}

TEST(GlyphTable, SingleCharactersDrawParenthesesAndTheLengthMark) {
  const GlyphTable table;
  ExpectFound(table, {
                         {"(", 350},
                         {")", 351},
                         {"<", 350},  // angle brackets draw the parentheses
                         {">", 351},
                         {":", 327},
                         {";", 327},  // either mark draws the one length mark
                     });
}

TEST(GlyphTable, EachPlainLetterDrawsItsLatinLetter) {
  const GlyphTable table;
  ExpectFound(table, {{"a", 107}, {"b", 108}, {"m", 119}, {"n", 120}, {"z", 132}});
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    EXPECT_EQ(table.Find(std::string(1, letter)), std::optional<GlyphId>(107 + (letter - 'a')))
        << letter;
  }
}

TEST(GlyphTable, VowelsHavePlainAcuteAndGraveFormsWithShortFormsForTheZeroVowels) {
  struct Vowel {
    std::string base;
    GlyphId plain;
    std::string shortForm;  // the base without its "0", usable only before a stress mark
  };
  const std::vector<Vowel> vowels = {
      {"a0", 300, "a"}, {"a1", 303, ""},  {"a2", 306, ""}, {"ae", 309, ""},
      {"e0", 312, "e"}, {"e1", 315, ""},  {"e2", 318, ""}, {"i0", 321, "i"},
      {"i1", 324, ""},  {"o0", 328, "o"}, {"o1", 331, ""}, {"u0", 334, "u"},
  };
  const GlyphTable table;
  for (const Vowel& v : vowels) {
    ExpectFound(table,
                {{v.base, v.plain}, {v.base + "!", v.plain + 1}, {v.base + "!!", v.plain + 2}});
    EXPECT_EQ(table.Find(v.base + "!!!"), std::nullopt) << v.base << " with three marks";
    if (!v.shortForm.empty()) {
      ExpectFound(table, {{v.shortForm + "!", v.plain + 1}, {v.shortForm + "!!", v.plain + 2}});
      // Alone, the short form is the plain letter, not the phonetic vowel.
      ExpectFound(table, {{v.shortForm, 107 + (v.shortForm[0] - 'a')}});
    }
  }
}

TEST(GlyphTable, ConsonantSymbolsHaveNoStressForms) {
  const GlyphTable table;
  ExpectFound(table, {{"g1", 337}, {"ng", 338}, {"s1", 339}, {"s2", 340}, {"t1", 341}});
  for (const char* token : {"g1!", "ng!", "s1!", "s2!!", "t1!"}) {
    EXPECT_EQ(table.Find(token), std::nullopt) << token;
  }
}

TEST(GlyphTable, FindsOnlyExactLowerCaseKeys) {
  const GlyphTable table;
  // Upper case, numbers no symbol has, prefixes and extensions of keys, the bracketed spelling,
  // two-byte characters, and keys followed by a NUL (which must not end the key).
  const std::vector<std::string> absent = {
      "",      "A",    "A0",    "Ae", "NG", "a3",  "u1",       "u2",    "o2",   "b1",
      "a0!!!", "a!!!", "e1!!!", "!",  "0",  "a0 ", " a",       "((",    "[ae]", "ae0",
      "ng1",   "s3",   "t2",    "g2", "i2", "aa",  "\x82\xa0", "a\x82", "a\0"s, "a0\0"s,
  };
  for (const std::string& token : absent) {
    EXPECT_EQ(table.Find(token), std::nullopt) << '"' << token << '"';
  }
}

TEST(GlyphTable, HoldsItsEightyThreeKeysInBuildOrderAndFindsEachOne) {
  const std::vector<std::string> order = {
      "(",    ")",    "<",    ">",    "a",    "b",   "c",    "d",    "e",    "f",    "g",    "h",
      "i",    "j",    "k",    "l",    "m",    "n",   "o",    "p",    "q",    "r",    "s",    "t",
      "u",    "v",    "w",    "x",    "y",    "z",   "a0",   "a0!",  "a0!!", "a!",   "a!!",  "a1",
      "a1!",  "a1!!", "a2",   "a2!",  "a2!!", "ae",  "ae!",  "ae!!", "e0",   "e0!",  "e0!!", "e!",
      "e!!",  "e1",   "e1!",  "e1!!", "e2",   "e2!", "e2!!", "i0",   "i0!",  "i0!!", "i!",   "i!!",
      "i1",   "i1!",  "i1!!", ":",    ";",    "o0",  "o0!",  "o0!!", "o!",   "o!!",  "o1",   "o1!",
      "o1!!", "u0",   "u0!",  "u0!!", "u!",   "u!!", "g1",   "ng",   "s1",   "s2",   "t1",
  };
  ASSERT_EQ(order.size(), 83u);
  const GlyphTable table;
  std::vector<std::string> built;
  for (const GlyphEntry& e : GlyphTable::Entries()) {
    built.emplace_back(e.token);
    EXPECT_EQ(table.Find(e.token), std::optional<GlyphId>(e.id)) << e.token;
  }
  EXPECT_EQ(built, order);
  EXPECT_EQ(std::set<std::string>(built.begin(), built.end()).size(), 83u) << "a key repeats";
}

TEST(GlyphTable, EveryIdIsAGlyphBitmapAndEveryBitmapIsDrawnBySomeToken) {
  std::set<GlyphId> bitmaps = {350, 351};
  for (GlyphId id = 107; id <= 132; ++id) {
    bitmaps.insert(id);
  }
  for (GlyphId id = 300; id <= 341; ++id) {
    bitmaps.insert(id);
  }
  ASSERT_EQ(bitmaps.size(), 70u);
  std::map<GlyphId, int> tokensPerId;
  for (const GlyphEntry& e : GlyphTable::Entries()) {
    EXPECT_EQ(bitmaps.count(e.id), 1u) << '"' << e.token << "\" names no bitmap: " << e.id;
    ++tokensPerId[e.id];
  }
  for (GlyphId id : bitmaps) {
    EXPECT_GE(tokensPerId[id], 1) << "no token draws bitmap " << id;
  }
}

}  // namespace
}  // namespace pelmo
