#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "tests/support/deck_file.h"
#include "wordlist/load_failure.h"
#include "wordlist/word_list.h"

// Every allocation of this program goes through here, so a test can make the N-th one fail,
// either once (memory comes back) or from then on (memory stays exhausted).
namespace {
long allocationsLeft = -1;  // negative: never fail
bool failFromThenOn = false;
}  // namespace

// GCC takes the malloc below for the library's operator new and warns when free releases it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (allocationsLeft == 0) {
    if (!failFromThenOn) {
      allocationsLeft = -1;
    }
    throw std::bad_alloc();
  }
  if (allocationsLeft > 0) {
    --allocationsLeft;
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
#pragma GCC diagnostic pop

namespace pelmo {
namespace {

std::vector<std::string> reported;
void Record(const char* message) {
  allocationsLeft = -1;
  reported.push_back(message);
}

// With memory back, the message names the file ("メモリが足りないため、…を読み込めません。");
// while it stays exhausted, the short one that needs no allocation ("メモリが足りません。").
TEST(LoadOutOfMemory, EveryFailedAllocationIsReportedOnceAndLeavesNoRows) {
  std::string deck;
  for (int i = 0; i < 100; ++i) {
    deck += "word" + std::to_string(i) + ",w0!rd,\x88\xd3\x96\xa1 " + std::string(40, 'x') + "\r\n";
  }
  testing::DeckFile file(deck, "oom.csv");
  const std::string full =
      "\x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab\x82\xe8\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81\x41"
      "oom.csv\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x81\x42";
  const std::string brief =
      "\x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42";
  const LoadFailureHandler previous = SetLoadFailureHandler(&Record);
  for (const bool persistent : {false, true}) {
    int failures = 0;
    for (long failAt = 0;; ++failAt) {
      reported.clear();
      WordList list;
      failFromThenOn = persistent;
      allocationsLeft = failAt;
      const bool loaded = list.Load(file.name());
      allocationsLeft = -1;
      if (loaded) {
        EXPECT_EQ(list.RowCount(), 100);
        break;
      }
      ++failures;
      EXPECT_EQ(reported, std::vector<std::string>{persistent ? brief : full}) << failAt;
      EXPECT_EQ(list.RowCount(), 0);
      EXPECT_TRUE(list.fileOrder.empty());
    }
    EXPECT_GT(failures, 100);  // at least one per row: the failures reached the rows
  }
  SetLoadFailureHandler(previous);
}

}  // namespace
}  // namespace pelmo
