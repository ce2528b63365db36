#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo::deck {

enum class CsvFormat { kDetect, kComma, kTab };

struct ImportOptions {
  // kDetect: tab-separated when tabs outside quotes cut the first records into steady columns.
  CsvFormat format = CsvFormat::kDetect;
  // Written in place of every ASCII comma inside a field.
  std::optional<char32_t> commaReplacement;
};

inline constexpr const char* kColumnNames[3] = {"word", "pronunciation", "meaning"};

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
  size_t warnings = 0;
};

// The delimiter for a format. For kDetect a tab when tabs outside quotes cut every one of the
// first records, into one steady number of columns or where commas do not; else a comma.
char DelimiterFor(std::string_view text, CsvFormat format);

// Hears of each refused row as it is refused, so that refusals need not be kept; likewise of
// warnings, rows written with a change the author should know of, `reason` saying what changed.
using RefusalSink = std::function<void(const ImportRefusal&)>;

// Converts UTF-8 CSV or TSV (byte-order mark optional) into deck lines. Every composed line is
// read back with the viewer's own splitter and escapes, and a row is written only when it comes
// back exactly as the source reads; the missing columns of a short record are empty, columns
// after the third are left out, and records with nothing in the first three are skipped. A
// pronunciation with any character outside ASCII is IPA, converted as IpaToNotation does: its
// substitutions are warnings, a symbol it cannot draw refuses the row. A 0x1A
// byte at the very end is no record. False, with a one-line reason, when the input is no UTF-8
// text at all, or when the delimiter cut no record although each holds the other one.
bool ImportDeck(std::string_view input, const ImportOptions& options, ImportResult& result,
                std::string& error, const RefusalSink& onRefusal,
                const RefusalSink& onWarning = {});

// Reads a written deck back with the viewer's own line reader: true when it holds exactly the
// bytes of `deck` and gives `rows` lines, read to the end; otherwise false with a reason.
bool VerifyWrittenDeck(const std::string& path, std::string_view deck, size_t rows,
                       std::string& error);

}  // namespace pelmo::deck
