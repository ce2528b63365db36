#include "bench/deck_generator.h"

#include <cstdint>
#include <fstream>

namespace pelmo::bench {

namespace {

struct Lcg {
  uint32_t state = 12345;
  uint32_t Next(uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  }
};

}  // namespace

size_t WriteDeck(const std::string& path, size_t rows) {
  static const char* const kSyllables[] = {"ka", "ne", "ro", "mi", "st", "pl",
                                           "an", "or", "ti", "be", "ch", "ou"};
  static const char* const kTokens[] = {"k",     "a0!", "t",   "s1", "i0", ":",  "p",  "e1",  "n",
                                        "[ae!]", "d",   "o1!", "r",  "m",  "i1", "s2", "[ng]"};
  Lcg rng;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string line;
  size_t total = 0;
  for (size_t i = 0; i < rows; ++i) {
    line.clear();
    for (uint32_t s = 0, n = 2 + rng.Next(3); s < n; ++s) {
      line += kSyllables[rng.Next(12)];
    }
    line += ',';
    for (uint32_t s = 0, n = 3 + rng.Next(4); s < n; ++s) {
      line += kTokens[rng.Next(17)];
    }
    line += ',';
    // Hiragana, two bytes each, now and then a line-break escape.
    for (uint32_t s = 0, n = 10 + rng.Next(11); s < n; ++s) {
      if (s == 6 && rng.Next(8) == 0) {
        line += "\\n";
        continue;
      }
      line += '\x82';
      line += static_cast<char>(0x9F + rng.Next(0x52));
    }
    line += "\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    total += line.size();
  }
  return total;
}

}  // namespace pelmo::bench
