#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "deck/ipa.h"
#include "pronunciation/glyph_table.h"

namespace pelmo::deck {
namespace {

// U+0301 and U+0300 follow the vowel they stress.
#define ACUTE "\xCC\x81"
#define GRAVE "\xCC\x80"

// Written out token by token from the glyph table's description, not derived from the ids.
const std::map<std::string, std::string> kIpaByToken = {
    {"(", "("},
    {")", ")"},
    {"<", "("},
    {">", ")"},
    {":", "\xCB\x90"},
    {";", "\xCB\x90"},
    {"a", "a"},
    {"b", "b"},
    {"c", "c"},
    {"d", "d"},
    {"e", "e"},
    {"f", "f"},
    {"g", "g"},
    {"h", "h"},
    {"i", "i"},
    {"j", "j"},
    {"k", "k"},
    {"l", "l"},
    {"m", "m"},
    {"n", "n"},
    {"o", "o"},
    {"p", "p"},
    {"q", "q"},
    {"r", "r"},
    {"s", "s"},
    {"t", "t"},
    {"u", "u"},
    {"v", "v"},
    {"w", "w"},
    {"x", "x"},
    {"y", "y"},
    {"z", "z"},
    {"a0", "a"},
    {"a0!", "a" ACUTE},
    {"a0!!", "a" GRAVE},
    {"a!", "a" ACUTE},
    {"a!!", "a" GRAVE},
    {"a1", "\xC9\x91"},
    {"a1!", "\xC9\x91" ACUTE},
    {"a1!!", "\xC9\x91" GRAVE},
    {"a2", "\xCA\x8C"},
    {"a2!", "\xCA\x8C" ACUTE},
    {"a2!!", "\xCA\x8C" GRAVE},
    {"ae", "\xC3\xA6"},
    {"ae!", "\xC3\xA6" ACUTE},
    {"ae!!", "\xC3\xA6" GRAVE},
    {"e0", "e"},
    {"e0!", "e" ACUTE},
    {"e0!!", "e" GRAVE},
    {"e!", "e" ACUTE},
    {"e!!", "e" GRAVE},
    {"e1", "\xC9\x99"},
    {"e1!", "\xC9\x99" ACUTE},
    {"e1!!", "\xC9\x99" GRAVE},
    {"e2", "\xC9\x9A"},
    {"e2!", "\xC9\x9A" ACUTE},
    {"e2!!", "\xC9\x9A" GRAVE},
    {"i0", "i"},
    {"i0!", "i" ACUTE},
    {"i0!!", "i" GRAVE},
    {"i!", "i" ACUTE},
    {"i!!", "i" GRAVE},
    {"i1", "\xC9\xAA"},
    {"i1!", "\xC9\xAA" ACUTE},
    {"i1!!", "\xC9\xAA" GRAVE},
    {"o0", "o"},
    {"o0!", "o" ACUTE},
    {"o0!!", "o" GRAVE},
    {"o!", "o" ACUTE},
    {"o!!", "o" GRAVE},
    {"o1", "\xC9\x94"},
    {"o1!", "\xC9\x94" ACUTE},
    {"o1!!", "\xC9\x94" GRAVE},
    {"u0", "u"},
    {"u0!", "u" ACUTE},
    {"u0!!", "u" GRAVE},
    {"u!", "u" ACUTE},
    {"u!!", "u" GRAVE},
    {"g1", "\xCA\x92"},
    {"ng", "\xC5\x8B"},
    {"s1", "\xCA\x83"},
    {"s2", "\xCE\xB8"},
    {"t1", "\xC3\xB0"},
};

TEST(Ipa, WritesEveryEntryOfTheGlyphTable) {
  std::set<std::string> seen;
  for (const GlyphEntry& entry : GlyphTable::Entries()) {
    const std::string token(entry.token);
    SCOPED_TRACE(token);
    const auto expected = kIpaByToken.find(token);
    ASSERT_NE(expected, kIpaByToken.end()) << "no expectation for this token";
    EXPECT_EQ(GlyphIpa(entry.id), expected->second);
    // Bracketed, any key reaches its entry, including those plain scanning cannot reach.
    EXPECT_EQ(NotationToIpa("[" + token + "]"), expected->second);
    seen.insert(token);
  }
  EXPECT_EQ(seen.size(), kIpaByToken.size());
}

TEST(Ipa, HasNothingForAnIdOutsideTheTable) {
  for (const GlyphId id : {0, 106, 133, 299, 342, 349, 352}) {
    EXPECT_FALSE(GlyphIpa(id)) << id;
  }
}

struct Example {
  const char* notation;
  std::string ipa;
};

const Example kExamples[] = {
    {"s1i0:p", "\xCA\x83i\xCB\x90p"},                   // ʃiːp
    {"ka0!t", "ka" ACUTE "t"},                          // kát
    {"Ka0!t", "ka" ACUTE "t"},                          // folded first
    {"[ae!]nd", "\xC3\xA6" ACUTE "nd"},                 // ǽnd
    {"aend", "aend"},                                   // plain letters
    {"ng", "ng"},                                       // two letters
    {"[ng]", "\xC5\x8B"},                               // ŋ
    {"(r)", "(r)"},                                     // parentheses
    {"<r>", "(r)"},                                     // drawn as parentheses
    {"ka5t", "kt"},                                     // a5 draws nothing
    {"k a t", "kat"},                                   // spaces draw nothing
    {"(1)", ")"},                                       // "(1" draws nothing
    {"e1!!!", ""},                                      // too long a token
    {"[x", "x"},                                        // only "[" is skipped
    {"s2o1!:t", "\xCE\xB8\xC9\x94" ACUTE "\xCB\x90t"},  // θɔ́ːt
    {"me0!g1e2", "me" ACUTE "\xCA\x92\xC9\x9A"},        // méʒɚ
    {"", ""},
};

TEST(Ipa, WritesANotationAsTheViewDrawsIt) {
  for (const Example& e : kExamples) {
    EXPECT_EQ(NotationToIpa(e.notation), e.ipa) << e.notation;
  }
}

}  // namespace
}  // namespace pelmo::deck
