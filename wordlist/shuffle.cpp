#include "wordlist/shuffle.h"

#include <utility>

namespace pelmo {

namespace {

uint32_t randomState = 1;

}  // namespace

uint32_t& RandomStateForTesting() {
  return randomState;
}

int NextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

void ShuffleRows(WordRow* rows, size_t count) {
  for (size_t k = 1; k < count; ++k) {
    const uint32_t m = static_cast<uint32_t>(k + 1);
    uint32_t x = static_cast<uint32_t>(NextRandom());
    // Past 32767 rows one draw cannot reach every position: the bound and the draw are widened
    // by 15 set bits at a time, without drawing again.
    if (m > 0x7FFFu) {
      uint32_t bound = 0x7FFFu;
      while (bound < m && bound != UINT32_MAX) {
        bound = (bound << 15) | 0x7FFFu;
        x = (x << 15) | 0x7FFFu;
      }
    }
    const size_t j = x % m;
    if (j != k) {
      swap(rows[k], rows[j]);
    }
  }
}

}  // namespace pelmo
