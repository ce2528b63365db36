#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/deck_file.h"
#include "wordlist/word_list.h"

namespace pelmo {
namespace {

using Row = std::vector<std::string>;

std::vector<std::string> Split(const std::string& line) {
  return testing::Fields({WordList::SplitLine(line)}).front();
}

struct SplitCase {
  const char* what;
  std::string line;
  Row fields;
};

TEST(SplitLine, FollowsTheQuoteBackslashAndTwoByteRules) {
  const std::vector<SplitCase> cases = {
      {"plain fields", "cat,ka0!t,neko", {"cat", "ka0!t", "neko"}},
      {"no comma is one field", "alone", {"alone"}},
      {"quotes protect commas and stay", "a,\"b,c\",d", {"a", "\"b,c\"", "d"}},
      {"an escaped quote does not start quoting", "x\\\",y", {"x\\\"", "y"}},
      {"a backslash before a comma does nothing", "a\\,b", {"a\\", "b"}},
      {"an unclosed quote takes the rest of the line", "\"a,b,c", {"\"a,b,c"}},
      {"a trailing comma gives an empty last field", "a,b,", {"a", "b", ""}},
      {"a leading comma gives an empty first field", ",a", {"", "a"}},
      {"only commas", ",,", {"", "", ""}},
      {"blanks are kept", " a , b ", {" a ", " b "}},
      {"quotes close again", "\"a,b\",\"c,d\",e", {"\"a,b\"", "\"c,d\"", "e"}},
      {"five fields are all kept", "a,b,c,d,e", {"a", "b", "c", "d", "e"}},
      // 0x83 0x5C is a two-byte character whose second byte is a backslash.
      {"a second byte 0x5C escapes the quote after it", "\x83\x5c\",a", {"\x83\x5c\"", "a"}},
      // 0x82 0x2C: the comma is a second byte and does not separate.
      {"a second byte is never a comma", "\x82,x,y", {"\x82,x", "y"}},
      {"a second byte is never a quote", "\x82\"x,y", {"\x82\"x", "y"}},
      {"a lone lead byte at the end", "a,\x82", {"a", "\x82"}},
      {"a lead byte swallows the last comma", "a\x82,", {"a\x82,"}},
      {"NUL bytes are ordinary bytes", std::string("a\0b,c", 5), {std::string("a\0b", 3), "c"}},
      {"a CR inside the line stays", "a\rb,c\r", {"a\rb", "c\r"}},
      {"quote state starts off on every line", "\"", {"\""}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(Split(c.line), c.fields) << c.what;
  }
}

TEST(SplitLine, RowsWithManyFieldsKeepEveryField) {
  std::string line;
  Row expected;
  for (int i = 0; i < 1000; ++i) {
    line += (i == 0 ? "" : ",") + std::to_string(i);
    expected.push_back(std::to_string(i));
  }
  EXPECT_EQ(Split(line), expected);
}

TEST(SplitLine, TheRowRemembersItsLine) {
  const std::string line = "a,\"b,c\",\x83\x5c";
  const WordRow row = WordList::SplitLine(line);
  EXPECT_EQ(row.Line(), line);
  EXPECT_EQ(row.FieldCount(), 3u);
  EXPECT_EQ(row.Field(3), "");  // past the end: nothing
}

TEST(WordRow, CopiesAreIndependentAndMovesLeaveAnEmptyRow) {
  WordRow a = WordList::SplitLine("x,y");
  WordRow b = a;
  a = WordList::SplitLine("p");
  EXPECT_EQ(b.Field(1), "y");
  EXPECT_EQ(a.FieldCount(), 1u);
  WordRow c = std::move(b);
  EXPECT_EQ(b.FieldCount(), 0u);  // NOLINT(bugprone-use-after-move): moved-from is defined
  EXPECT_EQ(c.Field(0), "x");
  WordRow& same = c;
  c = same;  // self-assignment keeps the row
  EXPECT_EQ(c.Line(), "x,y");
  swap(a, c);
  EXPECT_EQ(a.Line(), "x,y");
  EXPECT_EQ(c.Line(), "p");
}

}  // namespace
}  // namespace pelmo
