#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
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
    EXPECT_EQ("f" + std::string(row.Field(0)), row.Field(1)) << "rows move whole";
  }
  return order;
}

// The generator and the shuffle written out step by step in 64-bit arithmetic, with the rule for
// more than 32,767 rows: widen the draw until its bound covers the row count.
std::vector<int> Transcribed(std::vector<int> r, uint64_t& state) {
  for (size_t k = 1; k < r.size(); ++k) {
    const uint64_t m = k + 1;
    state = (state * 214013 + 2531011) % 4294967296ull;
    uint64_t x = (state / 65536) % 32768, bound = 32767;
    while (m > 32767 && bound < m && bound != 4294967295ull) {
      bound = (bound * 32768 + 32767) % 4294967296ull;
      x = (x * 32768 + 32767) % 4294967296ull;
    }
    std::swap(r[k], r[x % m]);
  }
  return r;
}

TEST_F(ShuffleTest, GeneratorStartsWithTheDocumentedValues) {
  std::vector<int> drawn;
  for (int i = 0; i < 8; ++i) {
    drawn.push_back(NextRandom());
  }
  EXPECT_EQ(drawn, (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}));
}

TEST_F(ShuffleTest, SmallDecksGiveTheDocumentedOrdersAndOffRestoresFileOrder) {
  const struct {
    int rows;
    std::vector<std::vector<int>> shuffles;  // each after switching on, then off again
  } cases[] = {
      {1, {{1}, {1}}},
      {2, {{1, 2}, {1, 2}, {2, 1}}},
      {3, {{1, 2, 3}, {2, 3, 1}}},
      {5, {{5, 2, 4, 3, 1}, {1, 3, 4, 5, 2}}},
  };
  for (const auto& c : cases) {
    RandomStateForTesting() = 1;
    WordList list = Numbered(c.rows);
    std::vector<int> fileOrder(c.rows);
    std::iota(fileOrder.begin(), fileOrder.end(), 1);
    for (const auto& expected : c.shuffles) {
      list.SetShuffle(true);
      EXPECT_EQ(Order(list), expected) << c.rows << " rows";
      list.SetShuffle(false);
      list.SetShuffle(false);  // already in file order: changes nothing
      EXPECT_EQ(Order(list), fileOrder) << c.rows << " rows";
    }
    if (c.rows == 1) {
      EXPECT_EQ(RandomStateForTesting(), 1u) << "one row draws nothing";
    }
  }
}

TEST_F(ShuffleTest, OnAgainWithoutOffShufflesTheCurrentOrderAndBigDecksWidenTheDraw) {
  for (int count : {5, 40000}) {
    RandomStateForTesting() = 1;
    WordList list = Numbered(count);
    std::vector<int> expected(count);
    std::iota(expected.begin(), expected.end(), 1);
    uint64_t state = 1;
    for (int round = 0; round < 2; ++round) {
      list.SetShuffle(true);
      expected = Transcribed(expected, state);
      ASSERT_EQ(Order(list), expected) << count << " rows, round " << round;
    }
  }
}

}  // namespace
}  // namespace pelmo
