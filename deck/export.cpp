#include "deck/export.h"

#include <algorithm>

#include "deck/cards.h"
#include "deck/csv_reader.h"
#include "deck/import.h"
#include "deck/ipa.h"
#include "deck/text_encoding.h"

namespace pelmo::deck {

namespace {

std::string CsvField(const std::string& utf8) {
  if (utf8.find_first_of("\",\r\n\t") == std::string::npos) {
    return utf8;
  }
  std::string out = "\"";
  for (const char c : utf8) {
    out += c == '"' ? "\"\"" : std::string(1, c);
  }
  return out + "\"";
}

}  // namespace

bool ExportDeck(std::string_view deck, bool withIpa, ExportResult& result, std::string& error) {
  result = ExportResult();
  std::vector<Card> cards;
  if (!ReadCards(deck, cards, error)) {
    return false;
  }
  result.cards = cards.size();
  result.csv = "\xEF\xBB\xBF";
  std::vector<bool> flagged(cards.size(), false);
  for (size_t n = 0; n < cards.size(); ++n) {
    if (const std::string bad = DescribeInvalidBytes(cards[n]); !bad.empty()) {
      result.problems.push_back({n + 1, bad + ", which UTF-8 cannot carry"});
      flagged[n] = true;
    }
    std::string record;
    for (size_t k = 0; k < 3; ++k) {
      record += (k ? "," : "") + CsvField(Cp932ToUtf8(cards[n][k]));
    }
    if (withIpa) {
      record += "," + CsvField(NotationToIpa(cards[n][1]));
    }
    result.csv += record + "\r\n";
  }
  // Line ends inside the fields make a record span lines: the CSV reader that import uses says
  // on which line each card's record starts.
  std::vector<size_t> cardAtLine(1, 0);
  CsvReader records(std::string_view(result.csv).substr(3), ',');
  CsvRecord record;
  for (size_t n = 1; records.Next(record); ++n) {
    cardAtLine.resize(record.line + 1, 0);
    cardAtLine[record.line] = n;
  }
  // The round trip, run here so that what the author is told holds: every card import writes
  // back must show as before.
  ImportResult back;
  std::string importError;
  auto problem = [&](size_t card, std::string reason) {
    if (!flagged[card - 1]) {
      flagged[card - 1] = true;
      result.problems.push_back({card, std::move(reason)});
    }
  };
  ImportDeck(result.csv, ImportOptions(), back, importError, [&](const ImportRefusal& r) {
    problem(cardAtLine[r.line],
            "import would refuse it: " + (r.field.empty() ? "" : r.field + ": ") + r.reason);
  });
  std::vector<Card> again;
  ReadCards(back.deck, again, importError);  // none when import wrote nothing
  std::vector<bool> written(cards.size(), false);
  for (size_t i = 0; i < again.size() && i < back.writtenLines.size(); ++i) {
    const size_t card = cardAtLine[back.writtenLines[i]];
    written[card - 1] = true;
    for (size_t k = 0; k < 3; ++k) {
      // Shown alike is enough: a character the code page holds twice (the NEC and IBM
      // forms of ∵, say) comes back as the form import writes, which pelmo shows the same.
      if (Cp932ToUtf8(again[i][k]) != Cp932ToUtf8(cards[card - 1][k])) {
        problem(card, std::string(kColumnNames[k]) + ": import would give back " +
                          Quoted(Cp932ToUtf8(again[i][k])));
        break;
      }
    }
  }
  for (size_t n = 0; n < cards.size(); ++n) {
    if (!written[n]) {
      problem(n + 1, "import would leave it out: a card that shows nothing is no record for it");
    }
  }
  std::sort(result.problems.begin(), result.problems.end(),
            [](const CardProblem& a, const CardProblem& b) { return a.card < b.card; });
  return true;
}

}  // namespace pelmo::deck
