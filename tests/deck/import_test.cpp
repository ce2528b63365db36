// Worked examples; the fuzz target's seeds (every hazard, the whole code page) meet a model.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "deck/csv_reader.h"
#include "deck/files.h"
#include "deck/import.h"
#include "tests/support/deck_file.h"

namespace pelmo::deck {
namespace {

TEST(CsvReader, ReadsRecordsAsSpreadsheetsWriteThem) {
  // "LINE:field|field" per record, "LINE!:..." when malformed; a tab in the text delimits.
  // clang-format off
  const std::pair<std::string, std::string> kCsv[] = {
      {"a,b,c\r\nd,e,f\r\n", "1:a|b|c 2:d|e|f"}, {"a,b\nc,d\re,f", "1:a|b 2:c|d 3:e|f"},
      {"\"a,b\",c\n\"say \"\"hi\"\"\",x\n", "1:a,b|c 2:say \"hi\"|x"}, {"", ""},
      {"a\"b,c\n\"\",x", "1:a\"b|c 2:|x"}, {"\"a\r\nb\rc\nd\",e\nf\n", "1:a\nb\nc\nd|e 5:f"},
      {",,\na,\n\nb\n", "1:|| 2:a| 3: 4:b"}, {"a\t\"b\tc\"\td,e\n", "1:a|b\tc|d,e"},
      {"\"a\"b,c\nd\n", "1!:a|c 2:d"}, {"a\n\"b\"\"\nc,d\n", "1:a 2!:b\"\nc,d\n"}};
  // clang-format on
  for (const auto& [text, expected] : kCsv) {
    CsvReader reader(text, text.find('\t') != std::string::npos ? '\t' : ',');
    std::string got;
    for (CsvRecord r; reader.Next(r);) {
      got += (got.empty() ? "" : " ") + std::to_string(r.line) + (r.problem.empty() ? ":" : "!:");
      for (size_t i = 0; i < r.fields.size(); ++i) {
        got += (i == 0 ? "" : "|") + r.fields[i];
      }
    }
    EXPECT_EQ(got, expected) << text;
  }
}

// What becomes of each record: "LINE:deck line", or "LINE field code: reason" when refused.
std::string Import(const std::string& csv) {
  ImportResult result;
  std::string out, error;
  auto note = [&](const ImportRefusal& r) {
    out += std::to_string(r.line) + " " + r.field + " " + r.code + ": " + r.reason + "\n";
  };
  EXPECT_TRUE(ImportDeck(csv, {}, result, error, note, note));
  for (size_t at = 0, i = 0; at < result.deck.size(); at = result.deck.find('\n', at) + 1, ++i) {
    out += std::to_string(result.writtenLines.at(i)) + ":" +
           result.deck.substr(at, result.deck.find('\n', at) + 1 - at);
  }
  return out;
}

TEST(Import, RefusesEachRowTheViewerWouldNotShowAsItReads) {
  // ソ is 83 5C and 表 95 5C in the code page; ｱ is one byte; 〜 is no character of it.
  // clang-format off
  const std::pair<std::string, std::string> kRefused[] = {
      {"\"a,b\",k,x", "word comma: a comma, at which the viewer ends the field"},
      {"a,\"k,t\",x", "pronunciation comma"}, {"a,k,\"1, 2\"", "meaning comma"},
      {"\"\"\"a\",k,x", "word quote: its double quotes leave the line quoted"},
      {"a,\"\"\"k\",x", "pronunciation quote"},
      {"a,/ʔa/,x", "pronunciation ipa: IPA column 2: “ʔ” (U+0294) has no glyph in pelmo"},
      {"ｱ,k,x", "word one-byte-kana: the viewer would take the comma after it for the second"},
      {"a,k,1\\n2", "meaning escape: a backslash followed by the letter n"},
      {"a,k,C:\\\\x", "meaning escape: two backslashes in a row"},
      {"a,k,ソn", "meaning escape-second-byte: the second byte of “ソ” is a backslash, so the "
                  "viewer reads it and the n after it as a line break\n"},
      {"a,k,表\\", "meaning escape-second-byte: the second byte of “表” is a backslash, so the "
                   "viewer reads it and the backslash after it as one backslash\n"},
      {"a,k,😀", "meaning not-cp932: “😀” (U+1F600) is not in code page 932\n"},
      {"〜,k,x", "word not-cp932: “〜” (U+301C) is not in code page 932; its code page 932 form "
                "is “～” (U+FF5E)\n"},
      {"a,k,x\x07", "meaning control-character: the control character U+0007, which"},
      {"\"a\"b,k,x", " csv: text after the closing double quote of a field on line 2\n"},
      {"a,\"k\nt,x", " csv: the double quote that opens a field on line 2 never closes"}};
  // clang-format on
  for (const auto& [row, refusal] : kRefused) {
    const std::string got = Import("ok,o0,fine\r\n" + row + "\r\n");
    EXPECT_EQ(got.rfind("2 " + refusal, 0), 0u) << got;
    EXPECT_EQ(got.substr(got.find('\n') + 1), "1:ok,o0,fine\r\n") << got;
  }
}

TEST(Import, WritesCodePage932LinesTheViewerReadsAsTheSource) {
  EXPECT_EQ(Import("\xEF\xBB\xBFpig,k[ae!]t,\xE7\x8C\xAB\nso,s,\"\xE3\x82\xBD\r\nb\\\ny\"\nc\n"),
            "1:pig,k[ae!]t,\x94\x4C\r\n2:so,s,\x83\x5C\\nb\\\\ny\r\n5:c,,\r\n");
  // A pronunciation in IPA becomes notation; a final 0x1A is no record.
  EXPECT_EQ(Import("book,/ˈbʊk/,x\n\x1A"),
            "1 pronunciation ipa-substitution: IPA column 4: “ʊ” is "
            "drawn as “u”: pelmo has no glyph for it\n1:book,bu0!k,x\r\n");
  // Of the two forms of Ⅸ (87 5C, FA 52), 偆 (ED 5C, FA 78) and 砡 (EE 5C, FB 78) the one
  // without a backslash for second byte, which survives the escapes.
  EXPECT_EQ(Import("a,k,Ⅸn\nb,k,偆\\\nc,k,砡\n"),
            "1:a,k,\xFA\x52n\r\n2:b,k,\xFA\x78\\\r\n3:c,k,\xFB\x78\r\n");
}

TEST(Import, ReportsTheSubstitutionsOfWrittenRowsOnlyAndFewOfEachSymbol) {
  // The warnings, a listed one by its line and column only; then how many the written rows made.
  const std::string more = " more-substitutions: IPA: “";
  // clang-format off
  const std::tuple<std::string, std::string, size_t> kRows[] = {
      {"b,/ʊʊʊʊʊɛ/,x\n", "1 IPA column 2\n1 IPA column 3\n1 IPA column 4\n1 IPA column 7\n1" + more +
       "ʊ” is drawn as “u” 2 more times, not listed\n", 6},
      {"b,pʰʰʰʰ,x\n", "1 IPA column 2\n1 IPA column 3\n1 IPA column 4\n1" + more +
       "ʰ” is left out 1 more time, not listed\n", 4},
      {"a,/bʊk/,😀\nc,/ɛ/,x\n", "2 IPA column 2\n", 1}, {"a,/bʊk/,1\\n2\n", "", 0}};
  // clang-format on
  for (const auto& [csv, expected, count] : kRows) {
    ImportResult result;
    std::string warned, error;
    EXPECT_TRUE(ImportDeck(csv, {}, result, error, {}, [&](const ImportRefusal& w) {
      const bool listed = w.code == "ipa-substitution";
      warned += std::to_string(w.line) + " " +
                (listed ? w.reason.substr(0, w.reason.find(':')) : w.code + ": " + w.reason) + "\n";
    }));
    EXPECT_EQ(warned, expected) << csv;
    EXPECT_EQ(result.warnings, count) << csv;
  }
}

TEST(Import, TellsTabsFromCommasByHowTheyCutTheRecords) {
  const std::optional<char> kDoubt;
  // clang-format off
  const std::pair<std::string, std::optional<char>> kTexts[] = {
      {"a,b,\"c\td\"\ne,f,g\n", ','},           // a tab inside quotes
      {"a,b,c\td\ne,f,g\th\n", ','},            // a tab in every meaning: commas give three
      {"a,b,c\td\ne,f,g,h\ti\n", ','},          // the same, with a fourth column
      {"a\tb\tc,d\ne\tf\tg\n", '\t'},           // a comma in one meaning
      {"a\tb\tc,d\ne\tf\tg,h,i\n", '\t'},       // commas in every meaning: tabs give three
      {"a\tb\n\"c,d\"\te\n", '\t'},             // commas only inside quotes
      {"a,b,c\n\nd\n", ','},                    // a short record, no tab at all
      {"word\n", ','},                          // nothing cut either way
      {"\"a\tb\",c,d\n", ','},                  // a quoted word, which tabs leave malformed
      // As export writes a meaning with tabs and a line break: tabs cut it as often, but apart.
      {"w1,p,\"a\tb\tc\r\nd\te\tf\"\r\nw2,p,\"a\tb\tc\r\nd\te\tf\"\r\n", ','},
      {"a,b,c\td\te\nf,g,h,i\tj\tk\n", kDoubt},  // three columns or more either way
      {"a,b\tc\nd,e\tf\n", kDoubt},             // two columns either way
      {"a,b,c\rd\te,f,g\nh\ti\tj\n", kDoubt}};  // each cuts two records of three
  // clang-format on
  for (const auto& [text, delimiter] : kTexts) {
    EXPECT_EQ(DelimiterFor(text, CsvFormat::kDetect), delimiter) << text;
  }
  ImportResult result;
  std::string error;
  EXPECT_FALSE(ImportDeck("a,b\tc\nd,e\tf\n", {}, result, error, {}));
  EXPECT_EQ(error,
            "it could be comma-separated (--csv) or tab-separated (--tsv): read either way, its "
            "first records split alike, so say which it is");
  EXPECT_FALSE(ImportDeck("a,b,c\nd,e,f\n", {CsvFormat::kTab, {}}, result, error, {}));
  EXPECT_EQ(error,
            "every record is one column, cut at tabs but holding commas: it looks "
            "comma-separated (--csv)");
}

TEST(Import, ReadsBackAWrittenDeckLargerThanAnyInput) {
  std::string deck;
  for (size_t i = 0; deck.size() <= kMaxInputBytes; ++i) {
    deck += "a,a0,x\r\n";
  }
  pelmo::testing::DeckFile file(deck, "large.csv");
  std::string error;
  EXPECT_TRUE(VerifyWrittenDeck(file.name(), deck, deck.size() / 8, error)) << error;
}

}  // namespace
}  // namespace pelmo::deck
