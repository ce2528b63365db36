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

namespace pelmo {
namespace {

std::vector<std::string> reported;
void Record(const char* message) {
  allocationsLeft = -1;
  reported.push_back(message);
}

void LoadFailingAtEveryAllocation(bool persistent) {
  std::string deck;
  for (int i = 0; i < 100; ++i) {
    deck += "word" + std::to_string(i) + ",w0!rd,\x88\xd3\x96\xa1 " + std::string(40, 'x') + "\r\n";
  }
  testing::DeckFile file(deck);
  const LoadFailureHandler previous = SetLoadFailureHandler(&Record);
  const std::string full = OutOfMemoryMessage(file.name());
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
    ASSERT_EQ(reported.size(), 1u) << "allocation " << failAt;
    // With memory back, the message names the file; without, the short one is all there is.
    EXPECT_EQ(reported[0], persistent ? kOutOfMemoryShortMessage : full) << "allocation " << failAt;
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_TRUE(list.fileOrder.empty());
  }
  EXPECT_GT(failures, 100);  // at least one per row: the failures reached the rows
  SetLoadFailureHandler(previous);
}

TEST(LoadOutOfMemory, AnAllocationFailingOnceIsReportedWithTheFileName) {
  LoadFailingAtEveryAllocation(false);
}

TEST(LoadOutOfMemory, MemoryThatStaysExhaustedStillGivesAReport) {
  LoadFailingAtEveryAllocation(true);
}

}  // namespace
}  // namespace pelmo
