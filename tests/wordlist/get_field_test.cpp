#include <gtest/gtest.h>

#include <string>

#include "wordlist/word_list.h"

namespace pelmo {
namespace {

WordList TwoRows() {
  WordList list;
  list.rows.push_back(WordList::SplitLine("cat,ka0!t,neko,extra"));
  list.rows.push_back(WordList::SplitLine("alone"));
  list.fileOrder = list.rows;
  return list;
}

TEST(GetField, CopiesAnExistingField) {
  const WordList list = TwoRows();
  std::string out = "old";
  EXPECT_TRUE(list.GetField(0, 2, out));
  EXPECT_EQ(out, "neko");
  EXPECT_TRUE(list.GetField(0, 3, out));
  EXPECT_EQ(out, "extra");
  EXPECT_TRUE(list.GetField(1, 0, out));
  EXPECT_EQ(out, "alone");
}

TEST(GetField, OutOfRangeReturnsFalseAndLeavesTheOutputAlone) {
  const WordList list = TwoRows();
  const struct {
    int row, column;
  } outside[] = {{-1, 0}, {0, -1}, {2, 0}, {0, 4}, {1, 1}, {1, 2}, {INT32_MIN, 0}, {0, INT32_MAX}};
  for (const auto& at : outside) {
    std::string out = "untouched";
    EXPECT_FALSE(list.GetField(at.row, at.column, out)) << at.row << "," << at.column;
    EXPECT_EQ(out, "untouched");
  }
}

TEST(GetField, AnEmptyListHasNoFields) {
  const WordList list;
  std::string out = "x";
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_FALSE(list.GetField(0, 0, out));
  EXPECT_EQ(out, "x");
}

}  // namespace
}  // namespace pelmo
