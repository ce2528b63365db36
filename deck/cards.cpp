#include "deck/cards.h"

#include <algorithm>
#include <sstream>

#include "deck/import.h"
#include "deck/messages.h"
#include "deck/text_encoding.h"
#include "wordlist/load_failure.h"
#include "wordlist/text_escapes.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace pelmo::deck {

std::optional<InvalidBytes> FindInvalidBytes(const Card& card) {
  for (size_t k = 0; k < card.size(); ++k) {
    for (size_t i = 0; i < card[k].size();) {
      const DecodedChar c = DecodeCp932At(card[k], i);
      if (!c.codePoint) {
        return InvalidBytes{k, i, c.length};
      }
      i += c.length;
    }
  }
  return std::nullopt;
}

std::string DescribeInvalidBytes(const Card& card) {
  const std::optional<InvalidBytes> bad = FindInvalidBytes(card);
  if (!bad) {
    return {};
  }
  return std::string(kColumnNames[bad->column]) + ": " +
         NotCp932Text(std::string_view(card[bad->column]).substr(bad->position, bad->length));
}

bool ReadCards(std::string_view deck, std::vector<Card>& cards, std::string& error) {
  std::istringstream in{std::string(deck)};
  // The deck is in memory already: a reading buffer larger than it would only be cleared.
  TextLineReader reader(in, std::min<size_t>(deck.size() + 1, size_t{1} << 16));
  cards.clear();
  std::string_view line;
  while (reader.Next(line) && !line.empty()) {
    const WordRow row = WordList::SplitLine(line);
    Card card;
    for (size_t k = 0; k < 3 && k < row.FieldCount(); ++k) {
      card[k] = std::string(row.Field(k));
    }
    card[2] = ResolveMeaningEscapes(card[2]);
    cards.push_back(std::move(card));
  }
  if (cards.empty()) {
    error = "pelmo refuses this deck: " + Cp932ToUtf8(NoDataMessage());
    return false;
  }
  return true;
}

}  // namespace pelmo::deck
