#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "deck/text_encoding.h"

namespace pelmo::deck {
namespace {

using namespace std::string_literals;

struct KnownCharacter {
  const char* name;
  char32_t codePoint;
  std::string cp932;
};

// Pairs anyone can look up in a code page 932 chart, from each region of the code page.
const KnownCharacter kKnown[] = {
    {"ascii letter", U'a', "a"},
    {"backslash stays a backslash", U'\\', "\\"},
    {"tilde stays a tilde", U'~', "~"},
    {"one-byte katakana a", U'\uFF71', "\xB1"},
    {"ideographic comma", U'\u3001', "\x81\x41"},
    {"fullwidth tilde is the wave dash", U'\uFF5E', "\x81\x60"},
    {"fullwidth reverse solidus", U'\uFF3C', "\x81\x5F"},
    {"katakana so ends in 0x5C", U'\u30BD', "\x83\x5C"},
    {"cat", U'\u732B', "\x94\x4C"},
    {"circled one from the NEC row", U'\u2460', "\x87\x40"},
    {"first user-defined character", U'\uE000', "\xF0\x40"},
    {"kanji of the IBM extension", U'\u7E8A', "\xED\x40"},
};

TEST(Cp932, EncodesAndDecodesKnownCharacters) {
  for (const KnownCharacter& k : kKnown) {
    EXPECT_EQ(EncodeCp932(k.codePoint), k.cp932) << k.name;
    const DecodedChar c = DecodeCp932At(k.cp932, 0);
    EXPECT_EQ(c.length, k.cp932.size()) << k.name;
    EXPECT_EQ(c.codePoint, k.codePoint) << k.name;
  }
}

TEST(Cp932, ReadsTheDuplicateIbmPairAsTheSameCharacter) {
  EXPECT_EQ(DecodeCp932At("\xFA\x5C", 0).codePoint, U'\u7E8A');
}

struct Invalid {
  const char* name;
  std::string bytes;
  size_t length;
};

const Invalid kInvalid[] = {
    {"0x80 is no character", "\x80", 1},
    {"0xA0 is no character", "\xA0", 1},
    {"0xFD is no character",
     "\xFD"
     "a",
     1},
    {"0xFF is no character", "\xFF", 1},
    {"a lead byte at the end", "\x82", 1},
    {"a lead byte before a byte outside the trail range", "\x82\x20", 1},
    {"a lead byte before 0x7F", "\x82\x7F", 1},
    {"an unassigned pair is skipped whole", "\x85\x40", 2},
};

TEST(Cp932, ReportsBytesThatAreNoCharacter) {
  for (const Invalid& k : kInvalid) {
    const DecodedChar c = DecodeCp932At(k.bytes, 0);
    EXPECT_FALSE(c.codePoint) << k.name;
    EXPECT_EQ(c.length, k.length) << k.name;
  }
}

TEST(Cp932, EveryCharacterItHoldsComesBackUnchanged) {
  size_t held = 0;
  for (char32_t cp = 0; cp < 0x10000; ++cp) {
    const std::optional<std::string> bytes = EncodeCp932(cp);
    if (!bytes) {
      continue;
    }
    ++held;
    ASSERT_LE(bytes->size(), 2u) << CodePointName(cp);
    const DecodedChar c = DecodeCp932At(*bytes, 0);
    ASSERT_EQ(c.length, bytes->size()) << CodePointName(cp);
    ASSERT_EQ(c.codePoint, cp) << CodePointName(cp);
  }
  // JIS X 0208 with the NEC and IBM extensions, 1880 user-defined characters, ASCII and the
  // one-byte katakana: Python's cp932 holds 9397 characters once its placeholders are left out.
  EXPECT_EQ(held, 9397u);
}

TEST(Cp932, EveryPairItReadsIsACharacterItCanWrite) {
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const DecodedChar c = DecodeCp932At(pair, 0);
      if (c.codePoint) {
        ASSERT_TRUE(EncodeCp932(*c.codePoint)) << std::hex << lead << " " << trail;
      }
    }
  }
}

struct NotHeld {
  const char* name;
  char32_t codePoint;
  std::optional<char32_t> counterpart;
};

const NotHeld kNotHeld[] = {
    {"wave dash is written as the fullwidth tilde", U'\u301C', U'\uFF5E'},
    {"minus sign is written as the fullwidth hyphen-minus", U'\u2212', U'\uFF0D'},
    {"cent sign is written as the fullwidth cent", U'\u00A2', U'\uFFE0'},
    {"yen sign", U'\u00A5', std::nullopt},
    {"the placeholder of 0x80", U'\u0080', std::nullopt},
    {"the placeholder of 0xA0", U'\uF8F0', std::nullopt},
    {"an emoji", U'\U0001F600', std::nullopt},
    {"a latin letter with an accent", U'\u00E9', std::nullopt},
};

TEST(Cp932, RefusesWhatItDoesNotHoldAndNamesTheLookAlikeItHolds) {
  for (const NotHeld& k : kNotHeld) {
    EXPECT_FALSE(EncodeCp932(k.codePoint)) << k.name;
    EXPECT_EQ(Cp932Counterpart(k.codePoint), k.counterpart) << k.name;
  }
}

TEST(Cp932, ConvertsTextToUtf8WithAReplacementForEachBadSpot) {
  EXPECT_EQ(Cp932ToUtf8("cat,\x94\x4C"), "cat,\xE7\x8C\xAB");
  EXPECT_EQ(Cp932ToUtf8("a\x80"
                        "b\x85\x40"
                        "c\x82"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD"
            "c\xEF\xBF\xBD");
}

struct Utf8Case {
  const char* name;
  std::string bytes;
  std::optional<char32_t> codePoint;
  size_t length;
};

const Utf8Case kUtf8[] = {
    {"ascii", "A", U'A', 1},
    {"two bytes", "\xC3\xA9", U'\u00E9', 2},
    {"three bytes", "\xE7\x8C\xAB", U'\u732B', 3},
    {"four bytes", "\xF0\x9F\x98\x80", U'\U0001F600', 4},
    {"overlong two bytes", "\xC0\x80", std::nullopt, 1},
    {"overlong three bytes", "\xE0\x80\x80", std::nullopt, 1},
    {"a surrogate", "\xED\xA0\x80", std::nullopt, 1},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", std::nullopt, 1},
    {"cut short", "\xE7\x8C", std::nullopt, 1},
    {"a lone continuation byte", "\x80", std::nullopt, 1},
    {"a continuation byte missing",
     "\xE7"
     "a"
     "\xAB",
     std::nullopt, 1},
};

TEST(Utf8, DecodesStrictly) {
  for (const Utf8Case& k : kUtf8) {
    const DecodedChar c = DecodeUtf8At(k.bytes, 0);
    EXPECT_EQ(c.codePoint, k.codePoint) << k.name;
    EXPECT_EQ(c.length, k.length) << k.name;
    if (k.codePoint) {
      std::string encoded;
      AppendUtf8(*k.codePoint, encoded);
      EXPECT_EQ(encoded, k.bytes) << k.name;
    }
  }
}

TEST(Utf8, FindsTheFirstInvalidByteAndReplacesEachOne) {
  EXPECT_EQ(FirstInvalidUtf8("ok \xE7\x8C\xAB"), std::nullopt);
  EXPECT_EQ(FirstInvalidUtf8("ok \x94\x4C"), 3u);
  EXPECT_EQ(SanitizeUtf8("a\xFF"
                         "b"),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(Quoted, KeepsAMessageOnOneLine) {
  EXPECT_EQ(Quoted("a\r\n\tb\x01"),
            "\xE2\x80\x9C"
            "a<CR><LF><TAB>b<0x01>\xE2\x80\x9D");
}

}  // namespace
}  // namespace pelmo::deck
