#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deck/csv_reader.h"

namespace pelmo::deck {
namespace {

struct Record {
  size_t line;
  std::vector<std::string> fields;
  bool malformed;

  bool operator==(const Record& o) const {
    return line == o.line && fields == o.fields && malformed == o.malformed;
  }
};

std::ostream& operator<<(std::ostream& os, const Record& r) {
  os << "line " << r.line << (r.malformed ? " malformed" : "") << ":";
  for (const std::string& f : r.fields) {
    os << " [" << f << "]";
  }
  return os;
}

std::vector<Record> Read(const std::string& text, char delimiter = ',') {
  CsvReader reader(text, delimiter);
  std::vector<Record> out;
  CsvRecord record;
  while (reader.Next(record)) {
    out.push_back({record.line, record.fields, !record.problem.empty()});
  }
  return out;
}

struct Case {
  const char* name;
  std::string text;
  char delimiter;
  std::vector<Record> records;
};

const Case kCases[] = {
    {"plain fields with CR LF",
     "a,b,c\r\nd,e,f\r\n",
     ',',
     {{1, {"a", "b", "c"}, false}, {2, {"d", "e", "f"}, false}}},
    {"LF, a lone CR, and no end on the last line",
     "a,b\nc,d\re,f",
     ',',
     {{1, {"a", "b"}, false}, {2, {"c", "d"}, false}, {3, {"e", "f"}, false}}},
    {"a quoted comma", "\"a,b\",c\n", ',', {{1, {"a,b", "c"}, false}}},
    {"doubled quotes inside quotes are one quote",
     "\"say \"\"hi\"\"\",x\n",
     ',',
     {{1, {"say \"hi\"", "x"}, false}}},
    {"a quote inside an unquoted field is a character",
     "a\"b,c\n",
     ',',
     {{1, {"a\"b", "c"}, false}}},
    {"every line end inside quotes becomes LF and counts lines",
     "\"a\r\nb\rc\nd\",e\nf\n",
     ',',
     {{1, {"a\nb\nc\nd", "e"}, false}, {5, {"f"}, false}}},
    {"empty fields and a trailing delimiter",
     ",,\na,\n",
     ',',
     {{1, {"", "", ""}, false}, {2, {"a", ""}, false}}},
    {"a blank line is a record of one empty field",
     "a\n\nb\n",
     ',',
     {{1, {"a"}, false}, {2, {""}, false}, {3, {"b"}, false}}},
    {"an empty quoted field", "\"\",x\n", ',', {{1, {"", "x"}, false}}},
    {"tabs separate in TSV, commas do not", "a,b\tc\n", '\t', {{1, {"a,b", "c"}, false}}},
    {"text after a closing quote spoils only its record",
     "\"a\"b,c\nd\n",
     ',',
     {{1, {"a", "c"}, true}, {2, {"d"}, false}}},
    {"a quote that never closes takes the rest of the file",
     "a,\"b\nc,d\n",
     ',',
     {{1, {"a", "b\nc,d\n"}, true}}},
    {"nothing at all", "", ',', {}},
};

TEST(CsvReader, ReadsRecordsAsSpreadsheetsWriteThem) {
  for (const Case& c : kCases) {
    EXPECT_EQ(Read(c.text, c.delimiter), c.records) << c.name;
  }
}

TEST(CsvReader, NamesTheLineWhereAnUnclosedQuoteOpens) {
  CsvReader reader("a\nb,\"c\nd\n", ',');
  CsvRecord record;
  ASSERT_TRUE(reader.Next(record));
  ASSERT_TRUE(reader.Next(record));
  EXPECT_EQ(record.line, 2u);
  EXPECT_NE(record.problem.find("line 2"), std::string::npos) << record.problem;
  EXPECT_FALSE(reader.Next(record));
}

}  // namespace
}  // namespace pelmo::deck
