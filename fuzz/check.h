#pragma once

#include <cstdlib>

// A broken invariant ends the fuzz target the way libFuzzer and the corpus replay both notice.
inline void Check(bool ok) {
  if (!ok) {
    std::abort();
  }
}
