#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wordlist/shuffle.h"
#include "wordlist/word_list.h"

namespace pelmo {
namespace {

// Every test starts as a fresh process would: generator at 1.
class ShuffleTest : public ::testing::Test {
 protected:
  void SetUp() override { RandomStateForTesting() = 1; }
};

WordList Numbered(int count) {
  WordList list;
  for (int i = 1; i <= count; ++i) {
    list.rows.push_back(WordList::SplitLine(std::to_string(i) + ",f" + std::to_string(i)));
  }
  list.fileOrder = list.rows;
  return list;
}

std::vector<int> Order(const WordList& list) {
  std::vector<int> order;
  for (const WordRow& row : list.rows) {
    order.push_back(std::stoi(std::string(row.Field(0))));
  }
  return order;
}

TEST_F(ShuffleTest, GeneratorStartsWithTheDocumentedValues) {
  const std::vector<int> expected = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  std::vector<int> drawn;
  for (size_t i = 0; i < expected.size(); ++i) {
    drawn.push_back(NextRandom());
  }
  EXPECT_EQ(drawn, expected);
}

TEST_F(ShuffleTest, OneRowDrawsNothingAndStays) {
  WordList list = Numbered(1);
  list.SetShuffle(true);
  EXPECT_EQ(Order(list), std::vector<int>{1});
  EXPECT_EQ(RandomStateForTesting(), 1u);
  list.SetShuffle(false);
  EXPECT_EQ(Order(list), std::vector<int>{1});
}

TEST_F(ShuffleTest, TwoRowsExchangeOnlyOnTheThirdShuffle) {
  WordList list = Numbered(2);
  const std::vector<std::vector<int>> expected = {{1, 2}, {1, 2}, {2, 1}};
  for (const auto& order : expected) {
    list.SetShuffle(true);
    EXPECT_EQ(Order(list), order);
    list.SetShuffle(false);
    EXPECT_EQ(Order(list), (std::vector<int>{1, 2}));
  }
}

TEST_F(ShuffleTest, ThreeRowsGiveTheDocumentedOrders) {
  WordList list = Numbered(3);
  list.SetShuffle(true);
  EXPECT_EQ(Order(list), (std::vector<int>{1, 2, 3}));
  list.SetShuffle(false);
  list.SetShuffle(true);
  EXPECT_EQ(Order(list), (std::vector<int>{2, 3, 1}));
}

TEST_F(ShuffleTest, FiveRowsGiveTheDocumentedOrders) {
  WordList list = Numbered(5);
  list.SetShuffle(true);
  EXPECT_EQ(Order(list), (std::vector<int>{5, 2, 4, 3, 1}));
  list.SetShuffle(false);
  EXPECT_EQ(Order(list), (std::vector<int>{1, 2, 3, 4, 5}));
  list.SetShuffle(true);
  EXPECT_EQ(Order(list), (std::vector<int>{1, 3, 4, 5, 2}));
}

TEST_F(ShuffleTest, ShufflingAgainWithoutOffStartsFromTheCurrentOrder) {
  WordList a = Numbered(5);
  a.SetShuffle(true);
  a.SetShuffle(true);
  RandomStateForTesting() = 1;
  WordList b = Numbered(5);
  b.SetShuffle(true);
  ShuffleRows(b.rows.data(), b.rows.size());
  EXPECT_EQ(Order(a), Order(b));
}

TEST_F(ShuffleTest, OffRestoresEveryFieldAndOnMovesRowsWhole) {
  WordList list = Numbered(50);
  list.SetShuffle(true);
  for (const WordRow& row : list.rows) {
    EXPECT_EQ("f" + std::string(row.Field(0)), row.Field(1));
  }
  list.SetShuffle(false);
  list.SetShuffle(false);  // already in file order: copies again, changes nothing
  std::vector<int> fileOrder;
  for (int i = 1; i <= 50; ++i) {
    fileOrder.push_back(i);
  }
  EXPECT_EQ(Order(list), fileOrder);
}

// The rule for more than 32,767 rows, written out step by step in 64-bit arithmetic.
std::vector<int> TranscribedShuffle(int count) {
  std::vector<int> r;
  for (int i = 1; i <= count; ++i) {
    r.push_back(i);
  }
  uint64_t state = 1;
  for (int k = 1; k < count; ++k) {
    const uint64_t m = static_cast<uint64_t>(k) + 1;
    state = (state * 214013 + 2531011) % 4294967296ull;
    uint64_t x = (state / 65536) % 32768;
    uint64_t bound = 32767;
    if (m > 32767) {
      while (bound < m && bound != 4294967295ull) {
        bound = (bound * 32768 + 32767) % 4294967296ull;
        x = (x * 32768 + 32767) % 4294967296ull;
      }
    }
    const uint64_t j = x % m;
    std::swap(r[static_cast<size_t>(k)], r[static_cast<size_t>(j)]);
  }
  return r;
}

TEST_F(ShuffleTest, MoreThan32767RowsFollowTheBoundExtensionRule) {
  WordList list = Numbered(40000);
  list.SetShuffle(true);
  EXPECT_EQ(Order(list), TranscribedShuffle(40000));
}

}  // namespace
}  // namespace pelmo
