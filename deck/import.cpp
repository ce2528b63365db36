#include "deck/import.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <sstream>

#include "deck/csv_reader.h"
#include "deck/files.h"
#include "deck/ipa_input.h"
#include "deck/messages.h"
#include "deck/text_encoding.h"
#include "wordlist/text_escapes.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace pelmo::deck {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr size_t kMeaning = 2;

struct Problem {
  size_t field;
  const char* code;
  std::string reason;
};

std::string CharName(char32_t cp) {
  std::string text;
  AppendUtf8(cp, text);
  return Quoted(text) + " (" + CodePointName(cp) + ")";
}

// One column of the source as code page 932: `shown` is what the viewer must show, `stored` what
// the deck holds for it. Only the meaning has line breaks, stored as the escape backslash-n.
std::optional<Problem> EncodeColumn(size_t field, std::string_view utf8, std::string& stored,
                                    std::string& shown) {
  for (size_t i = 0; i < utf8.size();) {
    const DecodedChar c = DecodeUtf8At(utf8, i);
    const char32_t cp = c.codePoint.value_or(0xFFFD);  // the input was checked to be UTF-8
    i += c.length;
    if (cp == '\n') {
      if (field != kMeaning) {
        return Problem{field, "line-break",
                       std::string("a line break, and the viewer shows the ") +
                           kColumnNames[field] + " on one line"};
      }
      stored += "\\n";
      shown += "\r\n";
      continue;
    }
    if ((cp < 0x20 && cp != '\t') || cp == 0x7F) {
      return Problem{
          field, "control-character",
          "the control character " + CodePointName(cp) + ", which the viewer cannot show"};
    }
    const std::optional<std::string> bytes = EncodeCp932(cp);
    if (!bytes) {
      std::string reason = CharName(cp) + " is not in code page 932";
      if (const std::optional<char32_t> counterpart = Cp932Counterpart(cp)) {
        reason += "; its code page 932 form is " + CharName(*counterpart);
      }
      return Problem{field, "not-cp932", reason};
    }
    stored += *bytes;
    shown += *bytes;
  }
  return std::nullopt;
}

// Whether the viewer, taking every byte from 0x80 up as the first of two, would read past the
// end of the field and take the separator after it for a second byte.
bool ViewerReadsPastEnd(std::string_view field) {
  size_t i = 0;
  while (i < field.size()) {
    i += static_cast<unsigned char>(field[i]) >= 0x80 ? 2 : 1;
  }
  return i > field.size();
}

// Why the meaning's escapes change it: the first backslash that starts an escape. Such a meaning
// is refused, not spelt differently: the escapes never give backslash-n (the first pass turns
// every one into a line break and adds no backslash) nor two backslashes in a row (the second
// pass shrinks every run to one), so no deck text shows it.
Problem EscapeProblem(std::string_view shown) {
  for (size_t i = 0; i < shown.size();) {
    const DecodedChar c = DecodeCp932At(shown, i);
    const size_t backslash = i + c.length - 1;
    if (shown[backslash] == '\\' && backslash + 1 < shown.size() &&
        (shown[backslash + 1] == 'n' || shown[backslash + 1] == '\\')) {
      const bool n = shown[backslash + 1] == 'n';
      if (c.length == 2) {
        return {kMeaning, "escape-second-byte",
                "the second byte of " + Quoted(Cp932ToUtf8(shown.substr(i, 2))) +
                    " is a backslash, so the viewer reads it and the " +
                    (n ? "n after it as a line break" : "backslash after it as one backslash")};
      }
      return {kMeaning, "escape",
              std::string(n ? "a backslash followed by the letter n, which the viewer's escapes "
                              "turn into a line break"
                            : "two backslashes in a row, which the viewer's escapes turn into "
                              "one") +
                  "; no way of writing it survives them"};
    }
    i += c.length;
  }
  return {kMeaning, "mismatch", "the viewer's escapes change it"};
}

// Why the viewer splits the composed line into something other than the three fields.
Problem SplitProblem(const WordRow& back, const std::array<std::string, 3>& stored) {
  for (size_t k = 0; k < 3; ++k) {
    const std::string_view expected = stored[k];
    if (k < back.FieldCount() && back.Field(k) == expected) {
      continue;
    }
    const std::string_view got = k < back.FieldCount() ? back.Field(k) : std::string_view();
    if (got.size() < expected.size() && expected.substr(0, got.size()) == got &&
        expected[got.size()] == ',') {
      return {k, "comma",
              "a comma, at which the viewer ends the field (--comma CHAR writes another "
              "character in its place)"};
    }
    if (got.size() > expected.size() && got.substr(0, expected.size()) == expected) {
      if (ViewerReadsPastEnd(expected)) {
        return {k, "one-byte-kana",
                "the viewer would take the comma after it for the second byte of a two-byte "
                "character: it reads a one-byte katakana such as \xEF\xBD\xB1 as the first of "
                "two bytes"};
      }
      return {k, "quote",
              "its double quotes leave the line quoted, so the comma after it would not "
              "separate it from the next field"};
    }
    return {k, "mismatch", "the viewer would read it back as " + Quoted(Cp932ToUtf8(got))};
  }
  return {kMeaning, "mismatch", "the viewer would read the line back differently"};
}

std::string Replaced(std::string_view text, std::string_view comma) {
  std::string out;
  for (const char c : text) {
    if (c == ',') {
      out += comma;
    } else {
      out += c;
    }
  }
  return out;
}

// A reading of the first records with one delimiter, quotes honoured, ranked by the tests of
// DelimiterFor in their order: cuts every record, keeps quoted fields whole, gives every record
// three columns, and (only when not every record is cut) how many it cuts.
using Rank = std::array<size_t, 4>;

Rank RankReading(std::string_view text, char delimiter) {
  constexpr size_t kSample = 20;
  CsvReader reader(text, delimiter);
  CsvRecord record;
  size_t records = 0;
  size_t cut = 0;
  bool quotesWhole = true;
  bool threeColumns = true;
  while (records < kSample && reader.Next(record)) {
    if (record.fields.size() == 1 && record.fields[0].empty()) {
      continue;  // a blank line says nothing
    }
    ++records;
    cut += record.fields.size() > 1;
    quotesWhole = quotesWhole && record.problem.empty() && !record.strayQuote;
    threeColumns = threeColumns && record.fields.size() >= 3;
  }
  const bool cutsAll = records > 0 && cut == records;
  return {cutsAll, quotesWhole, threeColumns, cutsAll ? 0 : cut};
}

// Whether the delimiter cuts no record at all, although every one that holds text holds the
// other delimiter: the wrong one was chosen, and every row would land in the word.
bool LeavesOneColumn(std::string_view text, char delimiter) {
  CsvReader reader(text, delimiter);
  CsvRecord record;
  size_t records = 0;
  while (reader.Next(record)) {
    if (record.fields.size() > 1 ||
        (!record.fields[0].empty() &&
         record.fields[0].find(delimiter == ',' ? '\t' : ',') == std::string::npos)) {
      return false;
    }
    records += !record.fields[0].empty();
  }
  return records > 0;
}

// The text to read: the input without its byte-order mark and a final end-of-file byte, checked
// to be UTF-8.
bool TextOf(std::string_view input, std::string_view& text, std::string& error) {
  text = input;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    text.remove_prefix(kUtf8Bom.size());
  }
  if (!text.empty() && text.back() == '\x1a') {
    text.remove_suffix(1);  // the end-of-file byte of old DOS tools, no record
  }
  if (const std::optional<size_t> bad = FirstInvalidUtf8(text)) {
    const size_t line = 1 + static_cast<size_t>(std::count(
                                text.begin(), text.begin() + static_cast<ptrdiff_t>(*bad), '\n'));
    error = "not UTF-8 text: the byte " + HexBytes(text.substr(*bad, 1)) + " on line " +
            std::to_string(line) +
            " is no UTF-8 (a deck already in code page 932 needs no import: check it with "
            "pelmo-deck check)";
    return false;
  }
  return true;
}

bool ChooseDelimiter(std::string_view text, CsvFormat format, char& delimiter, std::string& error) {
  const std::optional<char> chosen = DelimiterFor(text, format);
  if (!chosen) {
    error =
        "it could be comma-separated (--csv) or tab-separated (--tsv): read either way, its "
        "first records split alike, so say which it is";
    return false;
  }
  if (LeavesOneColumn(text, *chosen)) {
    error = std::string("every record is one column, cut at ") +
            (*chosen == ',' ? "commas but holding tabs: it looks tab-separated (--tsv)"
                            : "tabs but holding commas: it looks comma-separated (--csv)");
    return false;
  }
  delimiter = *chosen;
  return true;
}

// The substitution warnings of one row, kept until the row is written: of each symbol the first
// few as they are, the rest only counted, so that a row of a million costs no more than a few.
class RowWarnings {
 public:
  void Add(const IpaSubstitution& s) {
    ++total_;
    Symbol& symbol = symbols_[s.from];
    if (symbol.count == 0) {
      symbol.to = s.to;
    }
    if (++symbol.count <= kListedSubstitutions) {
      listed_.push_back(s);
    }
  }

  size_t total() const { return total_; }

  void Report(size_t line, const RefusalSink& onWarning) const {
    const std::string field = kColumnNames[1];
    for (const IpaSubstitution& s : listed_) {
      onWarning({line, field, "ipa-substitution",
                 "IPA column " + std::to_string(s.column) + ": " + DescribeSubstitution(s)});
    }
    for (const auto& [from, symbol] : symbols_) {
      if (symbol.count > kListedSubstitutions) {
        const size_t more = symbol.count - kListedSubstitutions;
        onWarning({line, field, "more-substitutions",
                   "IPA: " + Quoted(from) +
                       (symbol.to.empty() ? " is left out" : " is drawn as " + Quoted(symbol.to)) +
                       " " + std::to_string(more) + (more == 1 ? " more time" : " more times") +
                       ", not listed"});
      }
    }
  }

 private:
  struct Symbol {
    std::string to;
    size_t count = 0;
  };
  size_t total_ = 0;
  std::vector<IpaSubstitution> listed_;
  std::map<std::string, Symbol> symbols_;
};

// A pronunciation with anything outside ASCII is IPA, turned into notation in place.
std::optional<Problem> ConvertPronunciation(std::string& pronunciation, RowWarnings& warnings) {
  if (std::none_of(pronunciation.begin(), pronunciation.end(), [](char c) { return c & 0x80; })) {
    return std::nullopt;
  }
  std::string notation;
  std::string why;
  if (!IpaToNotation(
          pronunciation, notation, [&](const IpaSubstitution& s) { warnings.Add(s); }, why)) {
    return Problem{1, "ipa", "IPA " + why};
  }
  pronunciation = std::move(notation);
  return std::nullopt;
}

// The line is only as good as the viewer's own reading of it.
std::optional<Problem> ReadBackProblem(const std::string& line,
                                       const std::array<std::string, 3>& stored,
                                       std::string_view shownMeaning) {
  const WordRow back = WordList::SplitLine(line);
  if (back.FieldCount() != 3 || back.Field(0) != stored[0] || back.Field(1) != stored[1] ||
      back.Field(2) != stored[2]) {
    return SplitProblem(back, stored);
  }
  if (ResolveMeaningEscapes(back.Field(2)) != shownMeaning) {
    return EscapeProblem(shownMeaning);
  }
  return std::nullopt;
}

// The deck line for the first three fields of a record, or why there is none.
std::optional<Problem> ComposeLine(std::vector<std::string>& fields, std::string_view comma,
                                   RowWarnings& warnings, std::string& line) {
  if (std::optional<Problem> problem = ConvertPronunciation(fields[1], warnings)) {
    return problem;
  }
  std::array<std::string, 3> stored;
  std::array<std::string, 3> shown;
  for (size_t k = 0; k < 3; ++k) {
    if (std::optional<Problem> problem =
            EncodeColumn(k, Replaced(fields[k], comma), stored[k], shown[k])) {
      return problem;
    }
  }
  line = stored[0] + "," + stored[1] + "," + stored[2];
  return ReadBackProblem(line, stored, shown[kMeaning]);
}

}  // namespace

std::optional<char> DelimiterFor(std::string_view text, CsvFormat format) {
  if (format == CsvFormat::kComma) {
    return ',';
  }
  if (format == CsvFormat::kTab) {
    return '\t';
  }
  const Rank tabs = RankReading(text, '\t');
  const Rank commas = RankReading(text, ',');
  if (tabs != commas) {
    return tabs > commas ? '\t' : ',';
  }
  const bool cutsNone = !commas[0] && commas[3] == 0;
  return cutsNone ? std::optional<char>(',') : std::nullopt;
}

bool ImportDeck(std::string_view input, const ImportOptions& options, ImportResult& result,
                std::string& error, const RefusalSink& onRefusal, const RefusalSink& onWarning) {
  result = ImportResult();
  std::string_view text;
  char delimiter = ',';
  if (!TextOf(input, text, error) || !ChooseDelimiter(text, options.format, delimiter, error)) {
    return false;
  }
  std::string comma = ",";
  if (options.commaReplacement) {
    comma.clear();
    AppendUtf8(*options.commaReplacement, comma);
  }
  auto refuse = [&](const ImportRefusal& refusal) {
    ++result.refused;
    if (onRefusal) {
      onRefusal(refusal);
    }
  };
  CsvReader reader(text, delimiter);
  for (CsvRecord record; reader.Next(record);) {
    if (!record.problem.empty()) {
      refuse({record.line, "", "csv", record.problem});
      continue;
    }
    record.fields.resize(std::max<size_t>(record.fields.size(), 3));
    if (record.fields[0].empty() && record.fields[1].empty() && record.fields[2].empty()) {
      ++result.emptyRecords;
      continue;
    }
    if (std::any_of(record.fields.begin() + 3, record.fields.end(),
                    [](const std::string& f) { return !f.empty(); })) {
      ++result.recordsWithMoreColumns;
    }
    RowWarnings warnings;
    std::string line;
    if (const std::optional<Problem> problem = ComposeLine(record.fields, comma, warnings, line)) {
      refuse({record.line, kColumnNames[problem->field], problem->code, problem->reason});
      continue;
    }
    result.deck += line + "\r\n";
    result.writtenLines.push_back(record.line);
    result.warnings += warnings.total();
    if (onWarning) {
      warnings.Report(record.line, onWarning);
    }
  }
  return true;
}

bool VerifyWrittenDeck(const std::string& path, std::string_view deck, size_t rows,
                       std::string& error) {
  // No size limit: a deck may grow past the input's, and it is in memory already.
  std::string bytes;
  if (!ReadInputFile(path, bytes, error, SIZE_MAX)) {
    error = "the written deck: " + error;
    return false;
  }
  if (bytes != deck) {
    error = "the written file does not hold what was written";
    return false;
  }
  // Each row has been read back on its own; here the deck as a whole, line by line, the way the
  // viewer's loader reads it: every row, and nothing stopping it early.
  std::istringstream in(bytes);
  TextLineReader reader(in);
  std::string_view line;
  size_t read = 0;
  while (reader.Next(line) && !line.empty()) {
    ++read;
  }
  if (read != rows || reader.Next(line)) {
    error = "the viewer would read " + std::to_string(read) + " rows of the written deck, not " +
            std::to_string(rows);
    return false;
  }
  return true;
}

}  // namespace pelmo::deck
