#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "deck/files.h"

#include "deck/cards.h"

namespace pelmo::deck {

// What import reads: more than a deck's limit, because a deck's CSV is larger than the deck
// (code page 932 grows about 1.5 times in UTF-8, more with quotes and the IPA column), and
// export refuses to write a CSV past it, so that whatever export writes, import reads.
inline constexpr size_t kMaxImportBytes = 4 * kMaxInputBytes;

enum class CsvFormat { kDetect, kComma, kTab };

struct ImportOptions {
  // kDetect: as DelimiterFor tells.
  CsvFormat format = CsvFormat::kDetect;
  // Written in place of every ASCII comma inside a field.
  std::optional<char32_t> commaReplacement;
};

// A row that is not written: the line its record starts on, the column (a name of kColumnNames,
// or empty when the record as a whole is at fault), a stable code and a one-line reason.
struct ImportRefusal {
  size_t line = 0;
  std::string field;
  std::string code;
  std::string reason;
};

struct ImportResult {
  std::string deck;                  // code page 932 lines, each ending in CR LF
  std::vector<size_t> writtenLines;  // the source line of each row written, in order
  size_t refused = 0;
  size_t emptyRecords = 0;            // records with nothing in their first three columns
  size_t recordsWithMoreColumns = 0;  // whose fourth and later columns (left out) held text
  size_t warnings = 0;                // of the rows written, listed or not
};

// The delimiter for a format. For kDetect the text's first 20 records that are not blank are
// read both ways, quotes honoured, and of the two readings the one that passes a test the other
// fails wins, the tests taken in this order:
//  1. it cuts every record, into two columns or more;
//  2. it keeps quoted fields whole: no record is malformed, and no field that does not start
//     with a double quote holds one (read with tabs, the CSV field "a<TAB>b" after a comma is
//     cut apart, its quotes left inside the pieces);
//  3. it gives every record three columns or more: a word, a pronunciation and a meaning;
//  4. when neither cuts every record, it cuts more of them.
// A text that ties on all four is in doubt, and gets nothing, unless neither character cuts any
// record (one column: a comma). So CSV as export writes it is always read as CSV, and an
// unquoted CSV whose meanings hold tabs is read as CSV or, when tabs cut it alike, in doubt.
std::optional<char> DelimiterFor(std::string_view text, CsvFormat format);

// Hears of each refused row as it is refused, so that refusals need not be kept; likewise of
// warnings, rows written with a change the author should know of, `reason` saying what changed.
using RefusalSink = std::function<void(const ImportRefusal&)>;

inline constexpr size_t kListedSubstitutions = 3;

// Converts UTF-8 CSV or TSV (byte-order mark optional) into deck lines. Every composed line is
// read back with the viewer's own splitter and escapes, and a row is written only when it comes
// back exactly as the source reads; the missing columns of a short record are empty, columns
// after the third are left out, and records with nothing in the first three are skipped. A
// pronunciation with any character outside ASCII is IPA, converted as IpaToNotation does: a
// symbol it cannot draw refuses the row, and its substitutions are warnings of the row, reported
// and counted only when the row is written. Of each symbol substituted on a row the first
// kListedSubstitutions are reported one by one and the rest in one more warning
// ("more-substitutions"), so that a row of a million gives a few lines. A 0x1A byte at the very
// end is no record. False, with a one-line reason, when the input is no UTF-8 text at all, when
// detection is in doubt (the reason names --csv and --tsv), or when the delimiter cut no record
// although each holds the other one.
bool ImportDeck(std::string_view input, const ImportOptions& options, ImportResult& result,
                std::string& error, const RefusalSink& onRefusal,
                const RefusalSink& onWarning = {});

// Reads a written deck back with the viewer's own line reader: true when it holds exactly the
// bytes of `deck` and gives `rows` lines, read to the end; otherwise false with a reason.
bool VerifyWrittenDeck(const std::string& path, std::string_view deck, size_t rows,
                       std::string& error);

}  // namespace pelmo::deck
