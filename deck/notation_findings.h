#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "deck/findings.h"

namespace pelmo::deck {

// A warning for every piece of a notation that the view would draw nothing for: a token or a
// bracketed key the glyph table lacks, a "[" without "]", and each run of stray characters
// (a space is no stray character: spaces part tokens). Columns count bytes of `notation` from
// `firstColumn`. Messages show the notation's bytes as code page 932 text when `cp932` is set,
// else as UTF-8.
// Each finding goes to `sink` as it is made, so a caller that only counts keeps nothing.
using FindingSink = std::function<void(Finding&&)>;
void AddNotationFindings(std::string_view notation, size_t line, size_t firstColumn, bool cp932,
                         const FindingSink& sink);
void AddNotationFindings(std::string_view notation, size_t line, size_t firstColumn, bool cp932,
                         std::vector<Finding>& findings);

}  // namespace pelmo::deck
