#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <sstream>
#include <string>

#include "pronunciation/glyph_table.h"

namespace pelmo {
namespace {

using namespace std::string_literals;

// Each glyph, by the name of its art file, with every token that draws it.
// clang-format off
const std::pair<const char*, const char*> kTokensByArt[] = {
    {"107-a", "a"}, {"108-b", "b"}, {"109-c", "c"}, {"110-d", "d"}, {"111-e", "e"},
    {"112-f", "f"}, {"113-g", "g"}, {"114-h", "h"}, {"115-i", "i"}, {"116-j", "j"},
    {"117-k", "k"}, {"118-l", "l"}, {"119-m", "m"}, {"120-n", "n"}, {"121-o", "o"},
    {"122-p", "p"}, {"123-q", "q"}, {"124-r", "r"}, {"125-s", "s"}, {"126-t", "t"},
    {"127-u", "u"}, {"128-v", "v"}, {"129-w", "w"}, {"130-x", "x"}, {"131-y", "y"},
    {"132-z", "z"},
    {"300-a", "a0"}, {"301-a-acute", "a0! a!"}, {"302-a-grave", "a0!! a!!"},
    {"303-script-a", "a1"}, {"304-script-a-acute", "a1!"}, {"305-script-a-grave", "a1!!"},
    {"306-turned-v", "a2"}, {"307-turned-v-acute", "a2!"}, {"308-turned-v-grave", "a2!!"},
    {"309-ash", "ae"}, {"310-ash-acute", "ae!"}, {"311-ash-grave", "ae!!"},
    {"312-e", "e0"}, {"313-e-acute", "e0! e!"}, {"314-e-grave", "e0!! e!!"},
    {"315-schwa", "e1"}, {"316-schwa-acute", "e1!"}, {"317-schwa-grave", "e1!!"},
    {"318-schwa-hook", "e2"}, {"319-schwa-hook-acute", "e2!"}, {"320-schwa-hook-grave", "e2!!"},
    {"321-i", "i0"}, {"322-i-acute", "i0! i!"}, {"323-i-grave", "i0!! i!!"},
    {"324-small-cap-i", "i1"}, {"325-small-cap-i-acute", "i1!"}, {"326-small-cap-i-grave", "i1!!"},
    {"327-length-mark", ": ;"},
    {"328-o", "o0"}, {"329-o-acute", "o0! o!"}, {"330-o-grave", "o0!! o!!"},
    {"331-open-o", "o1"}, {"332-open-o-acute", "o1!"}, {"333-open-o-grave", "o1!!"},
    {"334-u", "u0"}, {"335-u-acute", "u0! u!"}, {"336-u-grave", "u0!! u!!"},
    {"337-ezh", "g1"}, {"338-eng", "ng"}, {"339-esh", "s1"}, {"340-theta", "s2"},
    {"341-eth", "t1"}, {"350-paren-left", "( <"}, {"351-paren-right", ") >"},
};
// clang-format on

TEST(GlyphTable, HoldsExactlyTheTokensOfEachGlyphAndFindsEach) {
  std::map<std::string, GlyphId> expected;
  for (const auto& [art, tokens] : kTokensByArt) {
    std::istringstream words(tokens);
    for (std::string token; words >> token;) {
      EXPECT_TRUE(expected.emplace(token, std::stoi(art)).second) << token << " written twice";
    }
  }
  EXPECT_EQ(expected.size(), 83u);
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
