// Any bytes given to pelmo-deck. The importer either refuses them whole, as no UTF-8, or accounts
// for every record in order: written, refused on its line with a one-line reason, or skipped as
// empty; and each written line, through the viewer's own line reader, splitter and escapes, is
// the record exactly. The same bytes as a deck file: check reads them without fault and words
// every finding on one line of UTF-8, in file order.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/text_escapes.h"
#include "deck/check.h"
#include "deck/csv_reader.h"
#include "deck/files.h"
#include "deck/import.h"
#include "deck/text_encoding.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace {

using namespace pelmo;
using namespace pelmo::deck;

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

bool OneLineOfUtf8(const std::string& text) {
  return !text.empty() && text.find('\n') == std::string::npos &&
         text.find('\r') == std::string::npos && !FirstInvalidUtf8(text);
}

// What a column of a record must look like in the viewer, as UTF-8: commas replaced, and the
// meaning's line breaks as the CR LF its escapes give.
std::string Expected(const std::string& source, size_t column, const ImportOptions& options) {
  std::string out;
  for (const char c : source) {
    if (c == ',' && options.commaReplacement) {
      AppendUtf8(*options.commaReplacement, out);
    } else if (c == '\n' && column == 2) {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

void FuzzImport(std::string_view input, const ImportOptions& options) {
  ImportResult result;
  std::vector<ImportRefusal> refusals;
  std::string error;
  const bool imported = ImportDeck(input, options, result, error,
                                   [&](const ImportRefusal& r) { refusals.push_back(r); });
  const std::string_view body = input.substr(0, 3) == "\xEF\xBB\xBF" ? input.substr(3) : input;
  if (!imported) {
    Require(FirstInvalidUtf8(body).has_value() && OneLineOfUtf8(error));
    return;
  }
  Require(result.refused == refusals.size());
  for (const ImportRefusal& refusal : refusals) {
    Require(OneLineOfUtf8(refusal.reason) && !refusal.code.empty());
  }

  // Every record is written, refused or skipped as empty, in source order.
  CsvReader records(body, DelimiterFor(body, options.format));
  CsvRecord record;
  std::istringstream deck(result.deck);
  TextLineReader reader(deck);
  size_t written = 0;
  size_t refused = 0;
  size_t empty = 0;
  while (records.Next(record)) {
    if (written < result.writtenLines.size() && result.writtenLines[written] == record.line) {
      // Through the viewer's own reader, splitter and escapes, exactly the source.
      std::string_view line;
      Require(reader.Next(line) && !line.empty());
      const WordRow back = WordList::SplitLine(line);
      Require(back.FieldCount() == 3 && record.problem.empty());
      record.fields.resize(std::max<size_t>(record.fields.size(), 3));
      Require(Cp932ToUtf8(back.Field(0)) == Expected(record.fields[0], 0, options));
      Require(Cp932ToUtf8(back.Field(1)) == Expected(record.fields[1], 1, options));
      Require(Cp932ToUtf8(ResolveMeaningEscapes(back.Field(2))) ==
              Expected(record.fields[2], 2, options));
      ++written;
    } else if (refused < refusals.size() && refusals[refused].line == record.line) {
      ++refused;
    } else {
      record.fields.resize(std::max<size_t>(record.fields.size(), 3));
      Require(record.problem.empty() && record.fields[0].empty() && record.fields[1].empty() &&
              record.fields[2].empty());
      ++empty;
    }
  }
  std::string_view rest;
  Require(!reader.Next(rest));
  Require(written == result.writtenLines.size() && refused == refusals.size() &&
          empty == result.emptyRecords);
}

void FuzzCheck(std::string_view input) {
  static const std::string path = "/tmp/pelmo-deck-fuzz-" + std::to_string(getpid()) + ".csv";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(input.data(), static_cast<std::streamsize>(input.size()));
  }
  std::vector<Finding> findings;
  std::string error;
  if (!CheckDeckFile(path, findings, error)) {
    Require(!DescribeNonText(input).empty() && OneLineOfUtf8(error));
    return;
  }
  size_t verdicts = 0;
  for (size_t i = 0; i < findings.size(); ++i) {
    const Finding& f = findings[i];
    Require(OneLineOfUtf8(f.message) && !FirstInvalidUtf8(f.text));
    Require(!FirstInvalidUtf8(FindingJson(f, "deck")));
    verdicts += f.code == "rows-loaded" || f.code == "no-rows";
    if (i > 0) {
      const Finding& e = findings[i - 1];
      Require(e.line < f.line || (e.line == f.line && e.column <= f.column));
    }
  }
  Require(verdicts == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the options; the rest is the file.
  ImportOptions options;
  if (size > 0) {
    options.format = static_cast<CsvFormat>(data[0] % 3);
    if ((data[0] & 4) != 0) {
      options.commaReplacement = U'\u3001';
    }
    ++data;
    --size;
  }
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  FuzzImport(input, options);
  FuzzCheck(input);
  return 0;
}
