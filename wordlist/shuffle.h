#pragma once

#include <cstddef>
#include <cstdint>

#include "wordlist/word_row.h"

namespace pelmo {

// The process-wide generator behind the shuffle: a linear congruential generator whose exact
// sequence is part of the behaviour (the same switches give the same orders on every run). It
// starts at 1 and is never reseeded.
int NextRandom();

// Permutes rows[0] .. rows[count - 1] in place, drawing count - 1 values.
void ShuffleRows(WordRow* rows, size_t count);

// The generator's state, for tests that need a run's first shuffle again.
uint32_t& RandomStateForTesting();

}  // namespace pelmo
