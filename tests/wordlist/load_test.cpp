#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/deck_file.h"
#include "wordlist/load_failure.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace pelmo {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> reported;
void Record(const char* message) {
  reported.push_back(message);
}

class LoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reported.clear();
    previous_ = SetLoadFailureHandler(&Record);
  }
  void TearDown() override { SetLoadFailureHandler(previous_); }

  Rows LoadBytes(const std::string& bytes) {
    testing::DeckFile file(bytes);
    WordList list;
    EXPECT_TRUE(list.Load(file.name()));
    EXPECT_EQ(testing::Fields(list.fileOrder), testing::Fields(list.rows));
    EXPECT_EQ(list.RowCount(), static_cast<int>(list.rows.size()));
    return testing::Fields(list.rows);
  }

 private:
  LoadFailureHandler previous_ = nullptr;
};

struct LoadCase {
  const char* what;
  std::string bytes;
  Rows rows;
};

// The same expectations hold for the file loader and for the line reader at any chunk size.
const std::vector<LoadCase>& LoadCases() {
  static const std::vector<LoadCase> cases = {
      {"LF line ends", "a,b,c\nd,e,f\n", {{"a", "b", "c"}, {"d", "e", "f"}}},
      {"CR LF gives the same rows", "a,b,c\r\nd,e,f\r\n", {{"a", "b", "c"}, {"d", "e", "f"}}},
      {"the last line needs no line end", "a\nb", {{"a"}, {"b"}}},
      {"reading stops at the first empty line", "1\n2\n3\n\n4\n5\n", {{"1"}, {"2"}, {"3"}}},
      {"a CR LF empty line stops too", "1\r\n\r\n2\r\n", {{"1"}}},
      {"a lone CR is text, not an empty line", "1\n\r\r\n2\n", {{"1"}, {"\r"}, {"2"}}},
      {"a CR not before LF stays", "a\rb\nc\r", {{"a\rb"}, {"c\r"}}},
      {"only the CR right before LF goes", "a\r\r\n", {{"a\r"}}},
      {"Ctrl-Z ends the file",
       "a\nb\x1a"
       "c\nd\n",
       {{"a"}, {"b"}}},
      {"Ctrl-Z at the start of a line",
       "a\n\x1a"
       "b\n",
       {{"a"}}},
      {"a byte-order mark belongs to the first field",
       "\xef\xbb\xbf"
       "a,b\n",
       {{"\xef\xbb\xbf"
         "a",
         "b"}}},
      {"NUL bytes are kept", std::string("a\0,b\n", 5), {{std::string("a\0", 2), "b"}}},
      {"a lone lead byte at the very end", "a,\x82", {{"a", "\x82"}}},
      {"a lead byte before LF does not hide the line end", "\x82\nb\n", {{"\x82"}, {"b"}}},
      {"quotes do not join lines", "\"a\nb,c\n", {{"\"a"}, {"b", "c"}}},
  };
  return cases;
}

TEST_F(LoadTest, ReadsLinesAsATextModeStreamWould) {
  for (const LoadCase& c : LoadCases()) {
    EXPECT_EQ(LoadBytes(c.bytes), c.rows) << c.what;
  }
}

TEST(TextLineReader, GivesTheSameLinesAtEveryChunkSize) {
  for (size_t chunk : {1u, 2u, 3u, 5u, 4096u}) {
    for (const LoadCase& c : LoadCases()) {
      std::istringstream in(c.bytes);
      TextLineReader reader(in, chunk);
      WordList list;
      std::string_view line;
      while (reader.Next(line) && !line.empty()) {
        list.rows.push_back(WordList::SplitLine(line));
      }
      EXPECT_EQ(testing::Fields(list.rows), c.rows) << c.what << ", chunk " << chunk;
    }
  }
}

TEST(TextLineReader, KeepsReadingLinesPastEmptyOnes) {
  std::istringstream in("a\r\n\r\nb\n\nc");
  TextLineReader reader(in, 2);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) {
    lines.emplace_back(line);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "", "c"}));
  EXPECT_FALSE(reader.Next(line));  // stays at the end
}

TEST_F(LoadTest, ALongSingleLineIsOneRow) {
  std::string line(5 << 20, 'x');
  line[100] = ',';
  const Rows rows = LoadBytes(line + "\r\n");
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].size(), 2u);
  EXPECT_EQ(rows[0][1].size(), line.size() - 101);
}

TEST_F(LoadTest, ALoadReplacesTheRowsOfAnEarlierOne) {
  testing::DeckFile first("a\nb\n", "first.csv");
  testing::DeckFile second("c\n", "second.csv");
  WordList list;
  ASSERT_TRUE(list.Load(first.name()));
  ASSERT_TRUE(list.Load(second.name()));
  EXPECT_EQ(testing::Fields(list.rows), (Rows{{"c"}}));
  EXPECT_EQ(testing::Fields(list.fileOrder), (Rows{{"c"}}));
}

TEST_F(LoadTest, AMissingFileIsReportedWithItsNameAsPassed) {
  WordList list;
  EXPECT_FALSE(list.Load("no-such-deck.csv"));
  // "no-such-deck.csvが開けません。"
  EXPECT_EQ(reported,
            std::vector<std::string>{
                "no-such-deck.csv\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42"});
  EXPECT_EQ(list.RowCount(), 0);
}

TEST_F(LoadTest, AFileWithoutRowsIsReportedAsHoldingNoData) {
  // "CSVファイルにデータがありません。"
  const std::string noData =
      "CSV\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc9\x83\x66\x81\x5b\x83\x5e\x82\xaa\x82\xa0\x82\xe8"
      "\x82\xdc\x82\xb9\x82\xf1\x81\x42";
  for (const char* bytes : {"", "\n", "\r\n", "\nabc\n",
                            "\x1a"
                            "abc"}) {
    reported.clear();
    testing::DeckFile file(bytes);
    WordList list;
    EXPECT_FALSE(list.Load(file.name())) << bytes;
    EXPECT_EQ(reported, std::vector<std::string>{noData});
    EXPECT_EQ(list.RowCount(), 0);
  }
}

TEST_F(LoadTest, AFolderOfThatNameIsReportedNotRead) {
  // Windows refuses to open a folder as a file; elsewhere it opens and yields no line.
  const std::string folder = "deck-folder.csv";
  std::filesystem::create_directory(folder);
  WordList list;
  EXPECT_FALSE(list.Load(folder));
  EXPECT_EQ(reported.size(), 1u);
  EXPECT_EQ(list.RowCount(), 0);
  std::filesystem::remove(folder);
}

}  // namespace
}  // namespace pelmo
