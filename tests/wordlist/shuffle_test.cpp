#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string>
#include <utility>
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

// FNV-1a (64 bits) over the order as 32-bit little-endian numbers: a fingerprint of a big order.
uint64_t Fingerprint(const std::vector<int>& order) {
  uint64_t hash = 0xCBF29CE484222325u;
  for (int v : order) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash = (hash ^ ((static_cast<uint32_t>(v) >> shift) & 0xFF)) * 0x100000001B3u;
    }
  }
  return hash;
}

// Read before any test runs: the generator's state as the process starts.
const uint32_t kStateAtStart = RandomStateForTesting();

TEST_F(ShuffleTest, GeneratorStartsAtOneWithTheDocumentedValues) {
  EXPECT_EQ(kStateAtStart, 1u);
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

// Each round switches on again without switching off, so it shuffles the order the round before
// left. Past 32,767 rows the draw is widened by 15 set bits: at k = 32,767 that makes j = k, and
// row 32,768 is not moved by that step.
TEST_F(ShuffleTest, OnAgainWithoutOffShufflesTheCurrentOrderAndBigDecksWidenTheDraw) {
  struct Round {
    uint64_t fingerprint;                       // 0 where rowAt names every position
    std::vector<std::pair<size_t, int>> rowAt;  // (position, file row)
  };
  const struct {
    int rows;
    Round rounds[2];
  } decks[] = {
      {5,
       {{0, {{0, 5}, {1, 2}, {2, 4}, {3, 3}, {4, 1}}},
        {0, {{0, 5}, {1, 4}, {2, 3}, {3, 1}, {4, 2}}}}},
      {40000,
       {{0x5CC1FE36FA116AA1u,
         {{0, 25201}, {1, 11858}, {32766, 14214}, {32767, 32768}, {32768, 21806}, {39999, 39753}}},
        {0x28132BD0014F2BD9u,
         {{0, 25685}, {1, 25717}, {32766, 2091}, {32767, 35856}, {32768, 12607}, {39999, 25335}}}}},
  };
  for (const auto& deck : decks) {
    RandomStateForTesting() = 1;
    WordList list = Numbered(deck.rows);
    for (const Round& round : deck.rounds) {
      SCOPED_TRACE(std::to_string(deck.rows) + " rows, round " +
                   std::to_string(&round - deck.rounds + 1));
      list.SetShuffle(true);
      const std::vector<int> order = Order(list);
      for (const auto& [position, row] : round.rowAt) {
        EXPECT_EQ(order[position], row) << "at " << position;
      }
      if (round.fingerprint != 0) {
        EXPECT_EQ(Fingerprint(order), round.fingerprint);
      }
    }
  }
}

}  // namespace
}  // namespace pelmo
