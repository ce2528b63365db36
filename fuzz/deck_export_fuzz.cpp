// Any bytes as a deck: a plain import of export shows every card as pelmo showed it (a character
// the code page holds twice may come back as its other form), except the cards export names, and
// each card it names really would not come back. Under ASan every run also checks memory safety,
// so runs are kept cheap: decks of a few cards, and seeds of a few cards each.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "deck/csv_reader.h"
#include "deck/export.h"
#include "deck/import.h"
#include "deck/text_encoding.h"
#include "fuzz/check.h"
#include "wordlist/text_escapes.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace {

using Card = std::array<std::string, 3>;

// What pelmo shows of each card: a missing column empty, the meaning's escapes resolved.
std::vector<Card> Shown(const std::string& deck) {
  std::istringstream in(deck);
  pelmo::TextLineReader reader(in, deck.size() + 1);
  std::vector<Card> cards;
  std::string_view line;
  while (reader.Next(line) && !line.empty()) {
    const pelmo::WordRow row = pelmo::WordList::SplitLine(line);
    Card card;
    for (size_t k = 0; k < 3; ++k) {
      const std::string field = k < row.FieldCount() ? std::string(row.Field(k)) : "";
      card[k] = pelmo::deck::Cp932ToUtf8(k == 2 ? pelmo::ResolveMeaningEscapes(field) : field);
    }
    cards.push_back(card);
  }
  return cards;
}

}  // namespace

// Unless given, -max_len is 64 bytes: room for every hazard, thousands of runs a second. The
// corpus replay never calls this and runs every seed whole.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args(*argv, *argv + *argc);
  static char maxLen[] = "-max_len=64";
  if (std::none_of(args.begin(), args.end(),
                   [](const char* a) { return std::string_view(a).rfind("-max_len=", 0) == 0; })) {
    args.insert(args.begin() + 1, maxLen);
  }
  *argc = static_cast<int>(args.size());
  args.push_back(nullptr);
  *argv = args.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string deck(reinterpret_cast<const char*>(data), size);
  const std::vector<Card> before = Shown(deck);
  pelmo::deck::ExportResult exported;
  std::string error;
  const bool withIpa = size % 2 == 1;
  Check(pelmo::deck::ExportDeck(deck, withIpa, exported, error) == !before.empty());
  if (before.empty()) {
    return 0;
  }
  Check(exported.cards == before.size());
  std::vector<bool> named(before.size(), false);
  for (const pelmo::deck::CardProblem& p : exported.problems) {
    Check(p.card >= 1 && p.card <= before.size() && !named[p.card - 1] && !p.reason.empty());
    named[p.card - 1] = true;
  }
  // One record per card, in order: the line each starts on gives its card.
  std::vector<size_t> cardOfLine(1, 0);
  pelmo::deck::CsvReader records(std::string_view(exported.csv).substr(3), ',');
  pelmo::deck::CsvRecord record;
  size_t card = 0;
  while (records.Next(record)) {
    Check(record.problem.empty() && record.fields.size() == (withIpa ? 4u : 3u));
    cardOfLine.resize(record.line + 1, 0);
    cardOfLine[record.line] = ++card;
  }
  Check(card == before.size());
  pelmo::deck::ImportResult back;
  Check(pelmo::deck::ImportDeck(exported.csv, {}, back, error, {}));
  const std::vector<Card> after = Shown(back.deck);
  Check(after.size() == back.writtenLines.size());
  std::vector<bool> cameBack(before.size(), false);
  for (size_t i = 0; i < after.size(); ++i) {
    const size_t line = back.writtenLines[i];
    Check(line < cardOfLine.size() && cardOfLine[line] >= 1);
    const size_t n = cardOfLine[line];
    cameBack[n - 1] = after[i] == before[n - 1];
  }
  for (size_t n = 0; n < before.size(); ++n) {
    Check(cameBack[n] != named[n]);
  }
  return 0;
}
