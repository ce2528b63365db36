#pragma once

#include <cstddef>

namespace pelmo::deck {

// A code point that Unicode defines to be the same text as a sequence of others: a letter with
// its accents in one (õ) is the letter followed by its combining marks (o, U+0303).
struct Decomposition {
  char32_t composed;
  char16_t parts[3];  // its full canonical decomposition; unused places are 0
};

// Every such code point whose parts all lie below U+0370 (Latin and IPA letters, modifier letters,
// combining diacritical marks), ascending. Generated at build time from Python's unicodedata.
extern const Decomposition kDecompositions[];
extern const size_t kDecompositionCount;

}  // namespace pelmo::deck
