#include <gtest/gtest.h>

#include "deck/page.h"

namespace pelmo::deck {
namespace {

// A card with bytes that are no code page 932 text is named with what the page shows for them.
// The word and the meaning are decoded: one U+FFFD for each such character. The pronunciation
// is drawn from what pelmo's scanner reads, and pelmo reads every byte from 0x80 up together
// with the byte after it, as one character that draws nothing; a "[" reads up to the next "]"
// it does not step over that way.
TEST(Page, NamesCardsWithBytesThatAreNoTextAndWhatThePageShowsForThem) {
  const struct {
    const char* line;
    const char* problem;  // empty for none
  } kCases[] = {
      {"w,p,m\x80",
       "meaning: the byte 0x80 is no code page 932 text; the page shows U+FFFD in its place"},
      {"\x85\x40,p,m",
       "word: the bytes 0x85 0x40 are no code page 932 text; the page shows U+FFFD in their place"},
      // The word's bytes come first, whatever the pronunciation holds.
      {"\x80k,\x80k,m",
       "word: the byte 0x80 is no code page 932 text; the page shows U+FFFD in its place"},
      {"w,ka0\x80",
       "pronunciation: the byte 0x80 is no code page 932 text; like pelmo, the page draws nothing "
       "for it"},
      {"w,\x85\x40s,m",
       "pronunciation: the bytes 0x85 0x40 are no code page 932 text; like pelmo, the page draws "
       "nothing for them"},
      // The next byte goes with it, as the author wrote it (not folded), and "a0" is read after.
      {"w,\x80Ka0,m",
       "pronunciation: the byte 0x80 is no code page 932 text; like pelmo, the page draws nothing "
       "for the bytes 0x80 0x4B"},
      {"w,\x81(t,m",
       "pronunciation: the byte 0x81 is no code page 932 text; like pelmo, the page draws nothing "
       "for the bytes 0x81 0x28"},
      // A one-byte katakana takes the first of the two bad bytes, and the second starts "a0".
      {"w,\xB1\x85\x61\x30,m",
       "pronunciation: the bytes 0x85 0x61 are no code page 932 text; like pelmo, the page "
       "draws “a” for the bytes 0xB1 0x85 0x61 0x30"},
      {"w,t[a\x80]]t,m",
       "pronunciation: the byte 0x80 is no code page 932 text; like pelmo, the page draws nothing "
       "for the bytes 0x5B 0x61 0x80 0x5D 0x5D"},
      {"\x82\xA0,\x82\xA0\xB1k0,\x82\xA0\\n\xB1", ""},
  };
  for (const auto& c : kCases) {
    PageResult page;
    std::string error;
    ASSERT_TRUE(MakePage(std::string(c.line) + "\r\n", "t", page, error)) << c.line << error;
    std::string problems;
    for (const CardProblem& p : page.problems) {
      problems += std::to_string(p.card) + ": " + p.reason + "\n";
    }
    EXPECT_EQ(problems, *c.problem ? "1: " + std::string(c.problem) + "\n" : "") << c.line;
  }
}

}  // namespace
}  // namespace pelmo::deck
