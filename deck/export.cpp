#include "deck/export.h"

#include <algorithm>

#include "deck/cards.h"
#include "deck/csv_reader.h"
#include "deck/ipa.h"
#include "deck/messages.h"
#include "deck/text_encoding.h"

namespace pelmo::deck {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

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

// "256 MiB", or the bytes when the size is no whole number of MiB.
std::string SizeText(size_t bytes) {
  return bytes % (size_t{1} << 20) == 0 ? std::to_string(bytes >> 20) + " MiB"
                                        : std::to_string(bytes) + " bytes";
}

// The CSV of the cards, every card one record; false when it would pass `limit`.
bool WriteCsv(const std::vector<Card>& cards, bool withIpa, size_t limit, std::string& csv,
              std::string& error) {
  csv = kUtf8Bom;
  for (const Card& card : cards) {
    for (size_t k = 0; k < 3; ++k) {
      csv += (k ? "," : "") + CsvField(Cp932ToUtf8(card[k]));
    }
    if (withIpa) {
      csv += "," + CsvField(NotationToIpa(card[1]));
    }
    csv += "\r\n";
    if (csv.size() > limit) {
      csv.clear();
      error = "its CSV would be more than " + SizeText(limit) + ", which import does not read";
      return false;
    }
  }
  return true;
}

// Line ends inside the fields make a record span lines: the CSV reader that import uses says on
// which line each card's record starts. The card at a line is 0 on a line that starts none.
class CardLines {
 public:
  explicit CardLines(std::string_view csv) {
    CsvReader records(csv.substr(kUtf8Bom.size()), ',');
    CsvRecord record;
    for (size_t n = 1; records.Next(record); ++n) {
      cardAt_.resize(record.line + 1, 0);
      cardAt_[record.line] = n;
    }
  }

  size_t At(size_t line) const { return line < cardAt_.size() ? cardAt_[line] : 0; }

 private:
  std::vector<size_t> cardAt_;
};

// Names a card once, with the first reason found.
class ProblemList {
 public:
  ProblemList(size_t cards, std::vector<CardProblem>& problems)
      : named_(cards, false), problems_(problems) {}

  void Name(size_t card, std::string reason) {
    if (card >= 1 && card <= named_.size() && !named_[card - 1]) {
      named_[card - 1] = true;
      problems_.push_back({card, std::move(reason)});
    }
  }

 private:
  std::vector<bool> named_;
  std::vector<CardProblem>& problems_;
};

// The round trip, run here so that what the author is told holds: the CSV read back as what it
// is, CSV, and every card import writes back showing as before.
void CheckRoundTrip(const std::vector<Card>& cards, const std::string& csv, ProblemList& problems) {
  const CardLines lines(csv);
  ImportOptions asCsv;
  asCsv.format = CsvFormat::kComma;
  ImportResult back;
  std::string error;
  ImportDeck(csv, asCsv, back, error, [&](const ImportRefusal& r) {
    problems.Name(lines.At(r.line),
                  "import would refuse it: " + (r.field.empty() ? "" : r.field + ": ") + r.reason);
  });
  std::vector<Card> again;
  ReadCards(back.deck, again, error);  // none when import wrote nothing
  std::vector<bool> written(cards.size(), false);
  for (size_t i = 0; i < again.size() && i < back.writtenLines.size(); ++i) {
    const size_t card = lines.At(back.writtenLines[i]);
    if (card == 0 || card > cards.size()) {
      continue;  // a row that is no card's cannot vouch for one
    }
    written[card - 1] = true;
    for (size_t k = 0; k < 3; ++k) {
      // Shown alike is enough: a character the code page holds twice (the NEC and IBM
      // forms of ∵, say) comes back as the form import writes, which pelmo shows the same.
      if (Cp932ToUtf8(again[i][k]) != Cp932ToUtf8(cards[card - 1][k])) {
        problems.Name(card, std::string(kColumnNames[k]) + ": import would give back " +
                                Quoted(Cp932ToUtf8(again[i][k])));
        break;
      }
    }
  }
  for (size_t n = 0; n < cards.size(); ++n) {
    if (!written[n]) {
      problems.Name(n + 1,
                    "import would leave it out: a card that shows nothing is no record for it");
    }
  }
}

}  // namespace

bool ExportDeck(std::string_view deck, bool withIpa, ExportResult& result, std::string& error,
                size_t limit) {
  result = ExportResult();
  std::vector<Card> cards;
  if (!ReadCards(deck, cards, error) || !WriteCsv(cards, withIpa, limit, result.csv, error)) {
    return false;
  }
  result.cards = cards.size();
  ProblemList problems(cards.size(), result.problems);
  for (size_t n = 0; n < cards.size(); ++n) {
    if (const std::string bad = DescribeInvalidBytes(cards[n]); !bad.empty()) {
      problems.Name(n + 1, bad + ", which UTF-8 cannot carry");
    }
  }
  CheckRoundTrip(cards, result.csv, problems);
  std::sort(result.problems.begin(), result.problems.end(),
            [](const CardProblem& a, const CardProblem& b) { return a.card < b.card; });
  return true;
}

}  // namespace pelmo::deck
