#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deck/check.h"
#include "deck/findings.h"
#include "tests/support/deck_file.h"
#include "wordlist/load_failure.h"
#include "wordlist/word_list.h"

namespace pelmo::deck {
namespace {

using namespace std::string_literals;
using pelmo::testing::DeckFile;

std::vector<Finding> Check(const std::string& bytes) {
  DeckFile file(bytes, "check-test.csv");
  std::vector<Finding> findings;
  std::string error;
  EXPECT_TRUE(CheckDeckFile(file.name(), findings, error)) << error;
  return findings;
}

const Finding* FindCode(const std::vector<Finding>& findings, const std::string& code) {
  for (const Finding& f : findings) {
    if (f.code == code) {
      return &f;
    }
  }
  return nullptr;
}

std::string Codes(const std::vector<Finding>& findings) {
  std::string out;
  for (const Finding& f : findings) {
    out += FormatFinding(f, "deck") + "\n";
  }
  return out;
}

struct Expected {
  const char* name;
  std::string deck;
  const char* code;
  Severity severity;
  size_t line;
  size_t column;
  std::string text;  // checked when not empty
  std::optional<size_t> count;
};

// "ソ" and "表" end in the byte 0x5C; "猫" is plain two-byte text, and so is "漢", whose second
// byte is above 0x80; 0xB1 is the one-byte "ｱ".
const std::string kSo = "\x83\x5C";
const std::string kOmote = "\x95\x5C";
const std::string kCat = "\x94\x4C";
const std::string kKan = "\x8A\xBF";

const Expected kFindings[] = {
    {"an empty file has no rows", "", "no-rows", Severity::kError, 0, 0, "", std::nullopt},
    {"an empty first line leaves no rows", "\r\ncat,k,x\r\n", "no-rows", Severity::kError, 0, 0, "",
     std::nullopt},
    {"lines after an empty line are never read", "a,a,x\r\n\r\nb,b,y\r\nc,c,z\r\n", "unread-lines",
     Severity::kError, 2, 0, "", 2},
    {"only empty lines after the stop is a note", "a,a,x\r\n\r\n\r\n", "stops-at-empty-line",
     Severity::kNote, 2, 0, "", std::nullopt},
    {"a 0x1A byte hides the lines after it", "a,a,x\r\nb,b,\x1Ay\r\nc,c,z\r\n", "unread-lines",
     Severity::kError, 2, 5, "", 2},
    {"a 0x1A byte at the end is a note", "a,a,x\r\n\x1A", "stops-at-eof-byte", Severity::kNote, 2,
     1, "", std::nullopt},
    {"lines after both an empty line and a 0x1A are counted",
     "a,a,x\n\nb,b,y\x1A"
     "c\nd\n",
     "unread-lines", Severity::kError, 2, 0, "", 3},
    {"the row count is a note", "a,a,x\r\nb,b,y\r\n", "rows-loaded", Severity::kNote, 0, 0, "", 2},
    {"a row of one field", "a,a,x\r\nlonely\r\n", "short-row", Severity::kWarning, 2, 0, "",
     std::nullopt},
    {"a row of two fields", "a,a\r\n", "short-row", Severity::kWarning, 1, 0, "", std::nullopt},
    {"a fourth field points at the comma that ends the meaning", "a,a,x,y\r\n", "extra-fields",
     Severity::kWarning, 1, 6, "", 4},
    {"a token the table lacks", "cat,ka5t,x\r\n", "unknown-token", Severity::kWarning, 1, 6, "a5",
     std::nullopt},
    {"an upper-case token is shown as written", "cat,KA5T,x\r\n", "unknown-token",
     Severity::kWarning, 1, 6, "A5", std::nullopt},
    {"a bracketed key the table lacks", "sing,si[nk],x\r\n", "unknown-key", Severity::kWarning, 1,
     8, "[nk]", std::nullopt},
    {"a bracket that never closes", "sing,si[ng,x\r\n", "unmatched-bracket", Severity::kWarning, 1,
     8, "[", std::nullopt},
    {"stray characters are one finding a run", "cat,/kat/ x!,x\r\n", "stray-character",
     Severity::kWarning, 1, 5, "/", std::nullopt},
    {"a full-width word in the pronunciation", "cat,\x82\x8B\x82\x81\x82\x94,x\r\n",
     "stray-character", Severity::kWarning, 1, 5, "\xEF\xBD\x8B\xEF\xBD\x81\xEF\xBD\x94",
     std::nullopt},
    {"a lone byte 0x80",
     "cat,k,a\x80"
     "b\r\n",
     "invalid-cp932", Severity::kError, 1, 8, "", 1},
    {"an unassigned pair", "cat,k,\x85\x40\r\n", "invalid-cp932", Severity::kError, 1, 7, "", 2},
    {"a lead byte at the end of the line", "cat,k,a\x82\r\n", "invalid-cp932", Severity::kError, 1,
     8, "", 1},
    {"a UTF-8 byte-order mark",
     "\xEF\xBB\xBF"
     "cat,k,x\r\n",
     "utf8-bom", Severity::kError, 1, 1, "", std::nullopt},
    {"UTF-8 text is reported once with a count of its lines",
     "a,a,ok\r\ncat,k,\xE7\x8C\xAB\r\ndog,d,\xE7\x8A\xAC\r\n", "utf8-text", Severity::kError, 2, 0,
     "cat,k,\xE7\x8C\xAB", 2},
    {"UTF-8 accented letters read as one-byte katakana", "caf\xC3\xA9,k,x\r\n", "utf8-text",
     Severity::kError, 1, 0, "", 1},
    {"a CR that ends no line", "cat,k,a\rb\rc\r\n", "lone-cr", Severity::kWarning, 1, 8, "", 2},
    {"a one-byte katakana swallows the comma after it", "\xB1,k,x\r\n", "hidden-separator",
     Severity::kWarning, 1, 2, ",", std::nullopt},
    {"a one-byte katakana puts the next character out of step", "\xB1" + kKan + ",k,x\r\n",
     "hidden-separator", Severity::kWarning, 1, 4, ",", std::nullopt},
    {"a second byte 0x5C before n becomes a line break", "so,s,a" + kSo + "nb\r\n",
     "escape-eats-character", Severity::kWarning, 1, 7, "\xE3\x82\xBDn", std::nullopt},
    {"a second byte 0x5C before a backslash eats it", "omote,o,"s + kOmote + "\\\r\n",
     "escape-eats-character", Severity::kWarning, 1, 9, "\xE8\xA1\xA8\\", std::nullopt},
};

TEST(Check, ReportsEachFindingOnADeckMadeToContainIt) {
  for (const Expected& e : kFindings) {
    SCOPED_TRACE(e.name);
    const std::vector<Finding> findings = Check(e.deck);
    const Finding* f = FindCode(findings, e.code);
    ASSERT_NE(f, nullptr) << "missing " << e.code << " in\n" << Codes(findings);
    EXPECT_EQ(f->severity, e.severity);
    EXPECT_EQ(f->line, e.line);
    EXPECT_EQ(f->column, e.column);
    if (!e.text.empty()) {
      EXPECT_EQ(f->text, e.text);
    }
    if (e.count) {
      EXPECT_EQ(f->count, e.count);
    }
    EXPECT_EQ(f->message.find('\n'), std::string::npos);
  }
}

struct Clean {
  const char* name;
  std::string deck;
};

// What the viewer takes as meant: none of these may give more than the row count.
const Clean kClean[] = {
    {"plain rows with CR LF", "cat,k[ae!]t," + kCat + "\r\ndog,do1!g,x\r\n"},
    {"LF line ends and no end on the last line", "cat,k[ae!]t,x\ndog,do1!g,y"},
    {"spaces in the pronunciation", "pronounce,pre1 na0!u ns,x\r\n"},
    {"escapes in the meaning", "a,a0,one\\ntwo\\\\three\r\n"},
    {"a comma inside double quotes", "a,a0,\"one, two\"\r\n"},
    {"a character ending in 0x5C followed by other text", "so,s," + kSo + "a\r\n"},
    {"every kind of glyph", "x,(a0!a1!!a2[ae][ae!!]e0e1!e2i!!i1:;o0o1u0g1[ng]s1s2t1)<r>,y\r\n"},
};

TEST(Check, FindsNothingToReportInADeckTheViewerShowsAsMeant) {
  for (const Clean& c : kClean) {
    SCOPED_TRACE(c.name);
    const std::vector<Finding> findings = Check(c.deck);
    ASSERT_EQ(findings.size(), 1u) << Codes(findings);
    EXPECT_EQ(findings[0].code, "rows-loaded");
    EXPECT_EQ(ExitStatusFor(findings), 0);
  }
}

TEST(Check, CountsTheRowsTheViewersOwnLoaderLoads) {
  std::vector<std::string> decks;
  for (const Expected& e : kFindings) {
    decks.push_back(e.deck);
  }
  for (const Clean& c : kClean) {
    decks.push_back(c.deck);
  }
  const LoadFailureHandler previous = SetLoadFailureHandler([](const char*) {});
  for (const std::string& deck : decks) {
    WordList list;
    {
      DeckFile file(deck, "check-load.csv");
      list.Load(file.name());
    }
    const std::vector<Finding> findings = Check(deck);
    const Finding* loaded = FindCode(findings, "rows-loaded");
    if (list.RowCount() == 0) {
      EXPECT_EQ(loaded, nullptr) << deck;
      EXPECT_NE(FindCode(findings, "no-rows"), nullptr) << deck;
    } else {
      ASSERT_NE(loaded, nullptr) << deck;
      EXPECT_EQ(loaded->count, static_cast<size_t>(list.RowCount())) << deck;
    }
  }
  SetLoadFailureHandler(previous);
}

TEST(Check, QuotesTheViewersOwnMessageWhenItRefusesTheDeck) {
  const std::vector<Finding> findings = Check("\r\n");
  const Finding* f = FindCode(findings, "no-rows");
  ASSERT_NE(f, nullptr);
  // "CSVファイルにデータがありません。" as UTF-8.
  EXPECT_NE(f->message.find("CSV\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB"),
            std::string::npos)
      << f->message;
}

TEST(Check, ListsAThousandFindingsOfAKindAndCountsTheRest) {
  std::string deck;
  for (int i = 0; i < 1003; ++i) {
    deck += "lonely\r\n";
  }
  deck += "a,a5,x\r\n";
  const std::vector<Finding> findings = Check(deck);
  size_t shortRows = 0;
  for (const Finding& f : findings) {
    shortRows += f.code == "short-row";
  }
  EXPECT_EQ(shortRows, 1000u);
  const Finding* more = FindCode(findings, "more-findings");
  ASSERT_NE(more, nullptr);
  EXPECT_EQ(more->severity, Severity::kNote);
  EXPECT_EQ(more->text, "short-row");
  EXPECT_EQ(more->count, 3u);
  // Other kinds are listed as usual, and the row count is the full one.
  const Finding* token = FindCode(findings, "unknown-token");
  ASSERT_NE(token, nullptr);
  EXPECT_EQ(token->line, 1004u);
  EXPECT_EQ(FindCode(findings, "rows-loaded")->count, 1004u);
}

TEST(Check, ListsFindingsInFileOrder) {
  const std::vector<Finding> findings = Check("a,a5,x\r\nb\r\nc,[x,y,z\r\n\r\nd,d,d\r\n");
  ASSERT_GE(findings.size(), 5u) << Codes(findings);
  for (size_t i = 1; i < findings.size(); ++i) {
    const Finding& a = findings[i - 1];
    const Finding& b = findings[i];
    EXPECT_TRUE(a.line < b.line || (a.line == b.line && a.column <= b.column)) << Codes(findings);
  }
}

TEST(Check, GivesTheExitStatusOfTheWorstSeverity) {
  EXPECT_EQ(ExitStatusFor(Check("a,a0,x\r\n")), 0);
  EXPECT_EQ(ExitStatusFor(Check("a,a5,x\r\n")), 1);
  EXPECT_EQ(ExitStatusFor(Check("a,a5,x\r\n\r\nb,b,y\r\n")), 2);
}

struct Unreadable {
  const char* name;
  std::string bytes;
  const char* reason;
};

const Unreadable kUnreadable[] = {
    {"binary data", "PK\x03\x04\x00\x00"s, "binary"},
    {"a NUL byte in a line", "a,a,x\r\nb,\0,y\r\n"s, "line 2"},
    {"UTF-16 little-endian",
     "\xFF\xFE"
     "a\0,\0"s,
     "UTF-16"},
    {"UTF-16 big-endian", "\xFE\xFF\0a\0,"s, "UTF-16"},
};

TEST(Check, RefusesFilesThatAreNoTextInOneLine) {
  for (const Unreadable& u : kUnreadable) {
    SCOPED_TRACE(u.name);
    DeckFile file(u.bytes, "check-binary.csv");
    std::vector<Finding> findings;
    std::string error;
    EXPECT_FALSE(CheckDeckFile(file.name(), findings, error));
    EXPECT_NE(error.find(u.reason), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(Findings, FormatsLikeACompilerMessage) {
  Finding f;
  f.severity = Severity::kWarning;
  f.code = "unknown-token";
  f.message = "draws nothing";
  EXPECT_EQ(FormatFinding(f, "deck.csv"), "deck.csv: warning: draws nothing [unknown-token]");
  f.line = 3;
  EXPECT_EQ(FormatFinding(f, "deck.csv"), "deck.csv:3: warning: draws nothing [unknown-token]");
  f.column = 7;
  EXPECT_EQ(FormatFinding(f, "deck.csv"), "deck.csv:3:7: warning: draws nothing [unknown-token]");
  f.line = 0;
  EXPECT_EQ(FormatFinding(f, "ipa"), "ipa: column 7: warning: draws nothing [unknown-token]");
}

TEST(Findings, WritesOneJsonObjectWithOnlyTheKnownMembers) {
  Finding f;
  f.severity = Severity::kError;
  f.code = "no-rows";
  f.message = "refused";
  EXPECT_EQ(FindingJson(f, "d.csv"),
            R"({"file":"d.csv","severity":"error","code":"no-rows","message":"refused"})");
  f.line = 2;
  f.column = 5;
  f.text = "a5";
  f.count = 3;
  EXPECT_EQ(FindingJson(f, "d.csv"),
            R"({"file":"d.csv","line":2,"column":5,"severity":"error","code":"no-rows",)"
            R"("message":"refused","text":"a5","count":3})");
}

TEST(Findings, EscapesJsonStringsAndReplacesBytesThatAreNoUtf8) {
  EXPECT_EQ(JsonString("say \"hi\"\\ \r\n\t\x01\x7F"), R"("say \"hi\"\\ \r\n\t\u0001\u007f")");
  EXPECT_EQ(JsonString("\xE7\x8C\xAB"), "\"\xE7\x8C\xAB\"");
  EXPECT_EQ(JsonString("a\x94\x4C"),
            "\"a\xEF\xBF\xBD"
            "L\"");
}

}  // namespace
}  // namespace pelmo::deck
