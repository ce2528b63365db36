#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deck/import.h"

namespace pelmo::deck {
namespace {

using namespace std::string_literals;

struct Imported {
  ImportResult result;
  std::vector<ImportRefusal> refused;
};

Imported Import(const std::string& csv, ImportOptions options = {}) {
  Imported out;
  std::string error;
  EXPECT_TRUE(ImportDeck(csv, options, out.result, error, [&](const ImportRefusal& r) {
    out.refused.push_back(r);
  })) << error;
  EXPECT_EQ(out.result.refused, out.refused.size());
  return out;
}

struct Refused {
  const char* name;
  std::string row;  // one CSV record, on line 2 after a good first row
  const char* field;
  const char* code;
};

const Refused kRefused[] = {
    {"a comma in the word", "\"a,b\",k,x", "word", "comma"},
    {"a comma in the pronunciation", "a,\"k,t\",x", "pronunciation", "comma"},
    {"a comma in the meaning", "a,k,\"one, two\"", "meaning", "comma"},
    {"an unclosed quote in the word", "\"\"\"a\",k,x", "word", "quote"},
    {"an unclosed quote in the pronunciation", "a,\"\"\"k\",x", "pronunciation", "quote"},
    {"a one-byte katakana ending the word", "\xEF\xBD\xB1,k,x", "word", "one-byte-kana"},
    {"a one-byte katakana ending the pronunciation", "a,k\xEF\xBD\xB1,x", "pronunciation",
     "one-byte-kana"},
    {"a line break in the word", "\"a\nb\",k,x", "word", "line-break"},
    {"a line break in the pronunciation", "a,\"k\r\nt\",x", "pronunciation", "line-break"},
    {"a backslash and n in the meaning", "a,k,one\\ntwo", "meaning", "escape"},
    {"two backslashes in the meaning", "a,k,C:\\\\x", "meaning", "escape"},
    {"so before n in the meaning", "a,k,\xE3\x82\xBDnic", "meaning", "escape-second-byte"},
    {"hyo before a backslash in the meaning", "a,k,\xE8\xA1\xA8\\", "meaning",
     "escape-second-byte"},
    {"an emoji", "a,k,\xF0\x9F\x98\x80", "meaning", "not-cp932"},
    {"a wave dash", "\xE3\x80\x9C,k,x", "word", "not-cp932"},
    {"a yen sign", "a,\xC2\xA5,x", "pronunciation", "not-cp932"},
    {"a control character", "a,k,x\x07y", "meaning", "control-character"},
    {"a delete character", "a\x7F,k,x", "word", "control-character"},
    {"text after a closing quote", "\"a\"b,k,x", "", "csv"},
};

TEST(Import, RefusesEachRowTheViewerWouldNotShowAsItReads) {
  for (const Refused& r : kRefused) {
    SCOPED_TRACE(r.name);
    const Imported result = Import("ok,o0,fine\r\n" + r.row + "\r\nend,e0,fine\r\n");
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].line, 2u);
    EXPECT_EQ(result.refused[0].field, r.field);
    EXPECT_EQ(result.refused[0].code, r.code) << result.refused[0].reason;
    EXPECT_EQ(result.refused[0].reason.find('\n'), std::string::npos);
    ASSERT_EQ(result.result.writtenLines.size(), 2u);
    EXPECT_EQ(result.result.deck, "ok,o0,fine\r\nend,e0,fine\r\n");
  }
}

TEST(Import, NamesTheCounterpartOfAWaveDash) {
  const Imported result = Import("a,k,\xE3\x80\x9C\n");
  ASSERT_EQ(result.refused.size(), 1u);
  EXPECT_NE(result.refused[0].reason.find("U+FF5E"), std::string::npos) << result.refused[0].reason;
}

struct Written {
  const char* name;
  std::string csv;
  std::string deck;
};

const Written kWritten[] = {
    {"UTF-8 becomes code page 932 with CR LF", "cat,k[ae!]t,\xE7\x8C\xAB\n",
     "cat,k[ae!]t,\x94\x4C\r\n"},
    {"a byte-order mark is dropped",
     "\xEF\xBB\xBF"
     "a,a0,x\n",
     "a,a0,x\r\n"},
    {"line breaks in the meaning become backslash-n", "a,a0,\"one\r\ntwo\nthree\"\n",
     "a,a0,one\\ntwo\\nthree\r\n"},
    {"a backslash before a line break survives", "a,a0,\"x\\\ny\"\n", "a,a0,x\\\\ny\r\n"},
    {"a lone backslash stays", "a\\b,a0,c\\d\n", "a\\b,a0,c\\d\r\n"},
    {"so followed by a line break survives", "a,a0,\"\xE3\x82\xBD\ny\"\n", "a,a0,\x83\x5C\\ny\r\n"},
    {"quotes that balance within a field stay", "\"\"\"a,b\"\"\",a0,\"say \"\"hi\"\"\"\n",
     "\"a,b\",a0,say \"hi\"\r\n"},
    {"an unclosed quote in the meaning is harmless there", "a,a0,\"\"\"x, y\"\n",
     "a,a0,\"x, y\r\n"},
    {"a one-byte katakana inside the meaning stays", "a,a0,\xEF\xBD\xB1x\n", "a,a0,\xB1x\r\n"},
    {"missing columns are empty", "a\nb,b0\n", "a,,\r\nb,b0,\r\n"},
    {"columns after the third are left out", "a,a0,x,extra,more\n", "a,a0,x\r\n"},
    {"empty records are skipped", "a,a0,x\n\n,,\n,,,\nb,b0,y\n", "a,a0,x\r\nb,b0,y\r\n"},
    {"a tab in the first line makes it TSV", "a\ta0\tx\nb\tb0\ty\n", "a,a0,x\r\nb,b0,y\r\n"},
};

TEST(Import, WritesRowsAsTheViewerMustReadThem) {
  for (const Written& w : kWritten) {
    const Imported result = Import(w.csv);
    EXPECT_TRUE(result.refused.empty()) << w.name << ": " << result.refused[0].reason;
    EXPECT_EQ(result.result.deck, w.deck) << w.name;
  }
}

TEST(Import, CountsEmptyRecordsAndRowsWithMoreColumns) {
  const Imported result = Import("a,a0,x,extra\n,,\n\nb,b0,y,,\nc,c0,z,,more\n");
  EXPECT_EQ(result.result.writtenLines.size(), 3u);
  EXPECT_EQ(result.result.emptyRecords, 2u);
  EXPECT_EQ(result.result.recordsWithMoreColumns, 2u);
}

TEST(Import, ReplacesCommasInsideFieldsWhenAsked) {
  ImportOptions options;
  options.commaReplacement = U'\u3001';
  const Imported result = Import("\"a,b\",k,\"x, y\"\n", options);
  EXPECT_TRUE(result.refused.empty());
  EXPECT_EQ(result.result.deck,
            "a\x81\x41"
            "b,k,x\x81\x41 y\r\n");
}

TEST(Import, FollowsTheFormatItIsGiven) {
  ImportOptions options;
  options.format = CsvFormat::kComma;
  EXPECT_EQ(Import("a\tb,k,x\n", options).result.deck, "a\tb,k,x\r\n");
  options.format = CsvFormat::kTab;
  EXPECT_EQ(Import("a,b\tk\tx\n", options).refused.at(0).code, "comma");
}

TEST(Import, NamesTheLineWhereAMultiLineRecordStarts) {
  const Imported result = Import("a,a0,\"1\n2\n3\"\nb,\"x\ny\",z\n");
  ASSERT_EQ(result.refused.size(), 1u);
  EXPECT_EQ(result.refused[0].line, 4u);
}

TEST(Import, RefusesInputThatIsNotUtf8) {
  ImportResult result;
  std::string error;
  EXPECT_FALSE(ImportDeck("cat,k,ok\nneko,n,\x94\x4C\n", {}, result, error, {}));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_TRUE(result.writtenLines.empty());
  EXPECT_EQ(result.deck, "");
}

}  // namespace
}  // namespace pelmo::deck
