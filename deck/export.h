#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "deck/cards.h"
#include "deck/import.h"

namespace pelmo::deck {

struct ExportResult {
  std::string csv;  // UTF-8 with a byte-order mark, CR LF records
  size_t cards = 0;
  std::vector<CardProblem> problems;  // cards import would not give back as pelmo shows them
};

// Writes the cards of a deck (its bytes) as pelmo shows them: read with the viewer's line reader
// and splitter up to the first empty line, the meaning's escapes resolved, the three columns
// converted to UTF-8 and written as RFC 4180 CSV, the meaning's line breaks as real ones inside
// quotes; with `withIpa` a fourth column holds the pronunciation's IPA. The CSV is then imported
// again in memory, and every card that would not come back showing the same text is a problem
// (it is written all the same, for the author to mend). False, with a reason, when pelmo loads no
// card, or when the CSV would be larger than `limit` (by default what import reads): then there is
// no CSV to write.
bool ExportDeck(std::string_view deck, bool withIpa, ExportResult& result, std::string& error,
                size_t limit = kMaxImportBytes);

}  // namespace pelmo::deck
