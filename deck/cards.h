#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo::deck {

// A card as pelmo shows it: word, pronunciation and meaning as code page 932 bytes, the meaning's
// escapes resolved (its line breaks are CR LF), a column the row lacks empty.
using Card = std::array<std::string, 3>;

// The names of a card's columns, for messages.
inline constexpr const char* kColumnNames[3] = {"word", "pronunciation", "meaning"};

// A card the author should look at: its number, which is its line in the deck, and why.
struct CardProblem {
  size_t card = 0;
  std::string reason;
};

// The first character of a card that is no text (by columns, then bytes): its column and where its
// bytes lie in that column.
struct InvalidBytes {
  size_t column = 0;
  size_t position = 0;
  size_t length = 0;
};
std::optional<InvalidBytes> FindInvalidBytes(const Card& card);

// "meaning: the byte 0x80 is no code page 932 text" for the first character of the card that is
// no text, or empty when every byte of it is text.
std::string DescribeInvalidBytes(const Card& card);

// The cards of a deck (its bytes) as the viewer's loader and card display make them: read with
// its line reader and splitter up to the first empty line. False, with pelmo's own reason, when
// pelmo would load no card.
bool ReadCards(std::string_view deck, std::vector<Card>& cards, std::string& error);

}  // namespace pelmo::deck
