// The worked examples and the failure reports. Every other splitting and line-reading case is a
// seed of the split_line and load fuzz targets, which replay against a reference with the tests.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/deck_file.h"
#include "wordlist/load_failure.h"
#include "wordlist/word_list.h"

namespace pelmo {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(SplitLine, SplitsTheWorkedExamples) {
  const struct {
    std::string line;
    std::vector<std::string> fields;
  } cases[] = {
      {"cat,ka0!t,neko", {"cat", "ka0!t", "neko"}},
      {"a,\"b,c\",d", {"a", "\"b,c\"", "d"}},  // quotes protect commas and stay
      {"x\\\",y", {"x\\\"", "y"}},             // an escaped quote does not start quoting
      {"\x83\x5c\",a", {"\x83\x5c\"", "a"}},   // nor does one after a second byte 0x5C
      {"\x82,x,y", {"\x82,x", "y"}},           // a second byte is never a comma
      {"a,b,", {"a", "b", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(testing::Fields({WordList::SplitLine(c.line)}).front(), c.fields) << c.line;
  }
}

TEST(WordRow, CopiesAreIndependentAndMovesLeaveAnEmptyRow) {
  WordRow a = WordList::SplitLine("x,y");
  WordRow b = a;
  a = WordList::SplitLine("p");
  EXPECT_EQ(b.Field(1), "y");
  EXPECT_EQ(b.Field(2), "");  // past the end: nothing
  EXPECT_EQ(a.FieldCount(), 1u);
  WordRow c = std::move(b);
  EXPECT_EQ(b.FieldCount(), 0u);  // NOLINT(bugprone-use-after-move): moved-from is defined
  WordRow& same = c;
  c = same;
  EXPECT_EQ(c.Line(), "x,y");
  swap(a, c);
  EXPECT_EQ(a.Field(0), "x");
  EXPECT_EQ(c.Line(), "p");
}

TEST(GetField, CopiesOnlyFieldsThatExist) {
  WordList list;
  list.rows = {WordList::SplitLine("cat,ka0!t,neko,extra"), WordList::SplitLine("alone")};
  std::string out;
  EXPECT_TRUE(list.GetField(0, 3, out));
  EXPECT_EQ(out, "extra");
  EXPECT_TRUE(list.GetField(1, 0, out));
  EXPECT_EQ(out, "alone");
  const int outside[][2] = {{-1, 0}, {0, -1}, {2, 0}, {0, 4}, {1, 1}, {INT_MIN, 0}, {0, INT_MAX}};
  for (const auto& at : outside) {
    out = "untouched";
    EXPECT_FALSE(list.GetField(at[0], at[1], out)) << at[0] << "," << at[1];
    EXPECT_EQ(out, "untouched");
  }
}

std::vector<std::string> reported;
void Record(const char* message) {
  reported.push_back(message);
}

class LoadTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = SetLoadFailureHandler(&Record); }
  void TearDown() override { SetLoadFailureHandler(previous_); }

 private:
  LoadFailureHandler previous_ = nullptr;
};

TEST_F(LoadTest, ReadsEveryRowOfALongLineAndReplacesAnEarlierLoad) {
  std::string line(5 << 20, 'x');
  line[100] = ',';
  testing::DeckFile first(line + "\r\nnext\r\n", "first.csv");
  testing::DeckFile second("c,d\n", "second.csv");
  WordList list;
  ASSERT_TRUE(list.Load(first.name()));
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.rows[0].Field(1).size(), line.size() - 101);
  ASSERT_TRUE(list.Load(second.name()));
  EXPECT_EQ(testing::Fields(list.rows), (Rows{{"c", "d"}}));
  EXPECT_EQ(testing::Fields(list.fileOrder), (Rows{{"c", "d"}}));
}

TEST_F(LoadTest, ReportsAMissingFileByItsNameAsPassedAndAnEmptyOneAsHoldingNoData) {
  const std::string cannotOpen = "\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42";
  const std::string noData =  // "CSVファイルにデータがありません。"
      "CSV\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc9\x83\x66\x81\x5b\x83\x5e\x82\xaa\x82\xa0\x82\xe8"
      "\x82\xdc\x82\xb9\x82\xf1\x81\x42";
  // Windows refuses to open a folder as a file; elsewhere it opens and yields no line.
  std::filesystem::create_directory("folder.csv");
#ifdef _WIN32
  const std::string folder = "folder.csv" + cannotOpen;
#else
  const std::string folder = noData;
#endif
  testing::DeckFile empty("\r\nabc\n", "empty.csv");
  const struct {
    std::string name, message;
  } cases[] = {
      {"no-such-\x81\x5c.csv", "no-such-\x81\x5c.csv" + cannotOpen},  // "…が開けません。"
      {empty.name(), noData},
      {"folder.csv", folder},
  };
  for (const auto& c : cases) {
    reported.clear();
    WordList list;
    list.rows.push_back(WordList::SplitLine("stale"));
    EXPECT_FALSE(list.Load(c.name)) << c.name;
    EXPECT_EQ(reported, std::vector<std::string>{c.message}) << c.name;
    EXPECT_EQ(list.RowCount(), 0) << c.name;
  }
  std::filesystem::remove("folder.csv");
}

// Elsewhere than Windows the report goes to standard error; the process still ends with 0.
TEST(LoadFailureDeathTest, TheDefaultHandlerEndsTheProcessWithStatusZero) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows the default handler shows a message box";
#else
  EXPECT_EXIT(ReportLoadFailure(NoDataMessage().c_str()), ::testing::ExitedWithCode(0), "CSV");
#endif
}

}  // namespace
}  // namespace pelmo
