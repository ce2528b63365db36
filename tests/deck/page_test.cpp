#include <gtest/gtest.h>

#include "deck/page.h"

namespace pelmo::deck {
namespace {

// What the page shows for bytes that are no text: U+FFFD in the word and the meaning; in the
// pronunciation what pelmo's scanner draws, which reads each byte from 0x80 up with the next.
TEST(Page, NamesCardsWithBytesThatAreNoTextAndWhatThePageShowsForThem) {
  const struct {
    const char* line;
    const char* problem;  // empty for none
  } kCases[] = {
      {"w,p,m\x80",
       "meaning: the byte 0x80 is no code page 932 text; the page shows U+FFFD in its place"},
      {"\x85\x40,p,m",
       "word: the bytes 0x85 0x40 are no code page 932 text; the page shows U+FFFD in their place"},
      {"\x80k,\x80k,m",  // the word first
       "word: the byte 0x80 is no code page 932 text; the page shows U+FFFD in its place"},
      {"w,ka0\x80",
       "pronunciation: the byte 0x80 is no code page 932 text; the page draws nothing for it"},
      {"w,\x85\x40s,m",
       "pronunciation: the bytes 0x85 0x40 are no code page 932 text; the page draws nothing for "
       "them"},
      {"w,\x80Ka0,m",  // the byte after it as written, not folded
       "pronunciation: the byte 0x80 is no code page 932 text; the page draws nothing for "
       "the bytes 0x80 0x4B"},
      {"w,\xB1\x85\x61\x30,m",  // a one-byte katakana takes 0x85 with it, and "a0" follows
       "pronunciation: the bytes 0x85 0x61 are no code page 932 text; the page draws “a” for the "
       "bytes 0xB1 0x85 0x61 0x30"},
      {"w,t[a\x80]]t,m",  // 0x80 takes the first "]" with it
       "pronunciation: the byte 0x80 is no code page 932 text; the page draws nothing for "
       "the bytes 0x5B 0x61 0x80 0x5D 0x5D"},
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
