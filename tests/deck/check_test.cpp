#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deck/check.h"
#include "deck/findings.h"
#include "tests/support/deck_file.h"

namespace pelmo::deck {
namespace {

using namespace std::string_literals;

// The README's severities: these kinds are errors, those notes, the rest warnings.
const std::string kErrors = " no-rows unread-lines invalid-cp932 utf8-bom utf8-text ";
const std::string kNotes = " rows-loaded more-findings stops-at-empty-line stops-at-eof-byte ";

// "LINE:COLUMN code[=count]['text']" for each finding, in the order given.
std::string Summary(const std::vector<Finding>& findings) {
  std::string out;
  for (const Finding& f : findings) {
    EXPECT_EQ(f.severity, kErrors.find(" " + f.code + " ") != std::string::npos ? Severity::kError
                          : kNotes.find(" " + f.code + " ") != std::string::npos
                              ? Severity::kNote
                              : Severity::kWarning);
    EXPECT_EQ(f.message.find('\n'), std::string::npos);
    out += (out.empty() ? "" : " ") + std::to_string(f.line) + ":" + std::to_string(f.column) +
           " " + f.code + (f.count ? "=" + std::to_string(*f.count) : "") +
           (f.text.empty() ? "" : "'" + f.text + "'");
  }
  return out;
}

std::vector<Finding> Check(const std::string& deck, SeverityTotals* totals = nullptr) {
  pelmo::testing::DeckFile file(deck, "check-test.csv");
  std::vector<Finding> findings;
  std::string error;
  EXPECT_TRUE(CheckDeckFile(file.name(), findings, error, totals)) << error;
  return findings;
}

struct DeckCase {
  std::string deck;
  std::string summary;  // after "0:0 rows-loaded=N" when rows load
  std::string message;  // a part of some finding's message
};

// ソ (83 5C) and 表 (95 5C) end in a backslash; 猫 is 94 4C, 漢 8A BF; B1 is the one-byte ｱ.
// clang-format off
const DeckCase kDecks[] = {
    {"", "0:0 no-rows", "CSV\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB"},
    {"\r\ncat,k,x\r\n", "0:0 no-rows 1:0 unread-lines=1", "1 non-empty line after it is never"},
    {"a,a,x\r\n\r\nb,b,y\r\nc,c,z", "=1 2:0 unread-lines=2", "2 non-empty lines after it are"},
    {"a,a,x\r\n\r\n\r\n", "=1 2:0 stops-at-empty-line", "1 row loaded"},
    {"a,a,x\r\nb,b,\x1Ay\r\nc,c,z\r\n", "=2 2:5 unread-lines=2", "0x1A byte ends the text here: 2"},
    {"a,a,x\r\n\x1A", "=1 2:1 stops-at-eof-byte", ""},
    {"a,a,x\r\n\x1A\0\0\r\n"s, "=1 2:1 unread-lines=1", ""},  // NULs the viewer never reads
    {"a,a,x\n\nb,b,y\x1Ax\nz\n", "=1 2:0 unread-lines=3", ""},
    {"a,a,x\r\nlonely\r\na,a\r\n", "=3 2:0 short-row 3:0 short-row", "3 rows loaded"},
    {"a,a,x,y\r\n", "=1 1:6 extra-fields=4", "4 fields: the meaning ends at this comma"},
    {"cat,KA5T,x\r\nb,si[nk]t!,y\r\n", "=2 1:6 unknown-token'A5' 2:5 unknown-key'[nk]' 2:9 unknown-token't!'", ""},
    {"cat,\x82\x8B\x82\x81,x\r\n", "=1 1:5 stray-character'\xEF\xBD\x8B\xEF\xBD\x81'", ""},
    {"cat,k,a\x80x\r\n", "=1 1:8 invalid-cp932=1", "the byte 0x80 is no code page 932 text"},
    {"cat,k,\x85\x40\x80\r\n", "=1 1:7 invalid-cp932=3", "the bytes 0x85 0x40 0x80 are no"},
    {"cat,k,a\x82", "=1 1:8 invalid-cp932=1", "0x82"},  // the last byte of a heap block
    {"\xEF\xBB\xBFpig,k,x\r\n", "=1 1:1 utf8-bom", ""},
    {"a,a,ok\r\ncat,k,\xE7\x8C\xAB\r\nd,d,caf\xC3\xA9\r\n", "=3 2:0 utf8-text=2'cat,k,\xE7\x8C\xAB'",
     "; so do 1 more line"},
    {"cat,k,a\rb\rc\r\n", "=1 1:8 lone-cr=2", "(2 on this line)"},
    {"\xB1,k,x\r\n", "=1 1:0 short-row 1:2 hidden-separator','", "(the comma at column 2 is taken"},
    {"w,\"\x95\x5C\",m\r\n", "=1 1:0 short-row 1:3 stray-character'\"\xE8\xA1\xA8\",'", "the comma at "
     "column 7 is inside the double quotes opened at column 3, which the quote at column 6 does not"},
    {"\xB1\x8A\xBF\"k,x\r\n", "=1 1:0 short-row 1:4 hidden-separator'\"'", ""},
    {"so,s,a\x83\x5Cnb\r\n", "=1 1:7 escape-eats-character'\xE3\x82\xBDn'", "a line break in"},
    {"omote,o,\x95\x5C\\\r\n", "=1 1:9 escape-eats-character'\xE8\xA1\xA8\\'", "drops the"},
    {"hyou,h,\x95\x5C\\n\x83\x5C\\\\n\r\n", "=1 1:12 escape-eats-character'\xE3\x82\xBD\\'", ""},
    {"mai,m,\xCF\xB2\r\n", "=1", ""},  // one-byte katakana, although valid UTF-8 too
    // Valid UTF-8 too, of U+0080 and U+FFF0, which no deck holds as text.
    {"u,u,\xC2\x80\r\nf,f,\xEF\xBF\xB0\r\n", "=2 1:6 invalid-cp932=1 2:5 invalid-cp932=2", ""},
    // What the viewer shows as meant gives only the row count.
    {"cat,k[ae!]t,\x94\x4C\r\ndog,do1!g,x\ny,pre1 na0!u ns,z", "=3", ""},
    {"a,a0,one\\ntwo\\\\three\r\nb,i0,\"one, two\"\r\nso,s,\x83\x5Cx\r\n", "=3", ""},
    {"x,(a0!a1!!a2[ae][ae!!]e0e1!e2i!!i1:;o0o1u0g1[ng]s1s2t1)<r>,y\r\n", "=1", ""},
};
// clang-format on

TEST(Check, ReportsWhatTheViewerShowsWrongInFileOrder) {
  for (const DeckCase& c : kDecks) {
    SCOPED_TRACE(::testing::PrintToString(c.deck));
    const std::vector<Finding> findings = Check(c.deck);
    EXPECT_EQ(Summary(findings), (c.summary[0] == '=' ? "0:0 rows-loaded" : "") + c.summary);
    std::string messages;
    for (const Finding& f : findings) {
      messages += f.message + "\n";
    }
    EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
  }
}

// A kind with 1003 findings lists 1000 and counts the rest; one with exactly 1000 lists them all.
TEST(Check, CountsEveryFindingButListsAThousandOfAKind) {
  std::string deck;
  for (int i = 0; i < 2003; ++i) {
    deck += i < 1003 ? "lonely\r\n" : "a,a5,x\r\n";
  }
  SeverityTotals totals;
  const std::vector<Finding> findings = Check(deck, &totals);
  EXPECT_EQ(totals, (SeverityTotals{2, 2003, 0}));  // rows-loaded, more-findings; the rest
  ASSERT_EQ(findings.size(), 2002u);
  EXPECT_EQ(Summary({findings[0], findings[1], findings[1001], findings[2001]}),
            "0:0 rows-loaded=2003 0:0 more-findings=3'short-row' 1000:0 short-row "
            "2003:3 unknown-token'a5'");
}

}  // namespace
}  // namespace pelmo::deck
