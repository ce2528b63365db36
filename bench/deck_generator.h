#pragma once

#include <cstddef>
#include <string>

namespace pelmo::bench {

// Writes a deck of `rows` plausible cards (short words, notation, code page 932 meanings of 20 to
// 40 bytes, CR LF line ends) and returns its size in bytes. Deterministic.
size_t WriteDeck(const std::string& path, size_t rows);

}  // namespace pelmo::bench
