#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "deck/cards.h"

namespace pelmo::deck {

struct PageResult {
  std::string html;  // UTF-8
  size_t cards = 0;
  std::vector<CardProblem> problems;  // cards with bytes that are no text, and what is shown
};

// One self-contained web page of a deck (its bytes): the cards as pelmo shows them, one at a time
// or all in a printable list, with pelmo's shuffle and the pronunciation drawn from pelmo's own
// glyph bitmaps, embedded once. The page loads nothing from elsewhere and runs no script but its
// own: the deck's text is data, escaped for where it stands. `title` is UTF-8. False, with a
// reason, when pelmo loads no card.
bool MakePage(std::string_view deck, std::string_view title, PageResult& result,
              std::string& error);

}  // namespace pelmo::deck
