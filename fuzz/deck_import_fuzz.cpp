// Any bytes given to import, after a byte that picks its options. A model from the viewer's own
// splitter and escapes says what becomes of each record: written as the line the viewer reads back
// exactly, refused with the field at fault, or skipped as empty; a file the delimiter leaves in
// one column is refused whole. The delimiter choice and the IPA conversion are taken as they are.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "deck/check.h"
#include "deck/csv_reader.h"
#include "deck/files.h"
#include "deck/import.h"
#include "deck/ipa_input.h"
#include "deck/text_encoding.h"
#include "fuzz/check.h"
#include "wordlist/text_escapes.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace {

using namespace pelmo;
using namespace pelmo::deck;

bool OneLineOfUtf8(const std::string& text) {
  return !text.empty() && text.find_first_of("\r\n") == std::string::npos &&
         !FirstInvalidUtf8(text);
}

// Every character the code page reads, one byte or a pair: Python's cp932 holds 9397.
std::map<char32_t, std::string> ReadCodePage() {
  std::map<char32_t, std::string> held;
  for (int i = 0; i < 0x10000; ++i) {
    const std::string bytes =
        i < 0x100 ? std::string(1, char(i)) : std::string{char(i >> 8), char(i)};
    const DecodedChar c = DecodeCp932At(bytes, 0);
    if (c.codePoint && c.length == bytes.size()) {
      held.emplace(*c.codePoint, bytes);
    }
  }
  Check(held.size() == 9397);
  return held;
}
const std::map<char32_t, std::string> kHeld = ReadCodePage();

// The field at fault and why, from its characters; else the line when the viewer reads it exactly.
struct Verdict {
  size_t field = 0;
  std::string code;
  std::string line;
};

Verdict Judge(const std::vector<std::string>& utf8) {
  std::string stored[3], shown[3];
  for (size_t k = 0; k < 3; ++k) {
    for (size_t i = 0; i < utf8[k].size();) {
      const DecodedChar c = DecodeUtf8At(utf8[k], i);
      const char32_t cp = c.codePoint.value();
      const auto held = kHeld.find(cp);
      if (cp == '\n' && k < 2) {
        return {k, "line-break", ""};
      } else if ((cp < 0x20 && cp != '\t' && cp != '\n') || cp == 0x7F) {
        return {k, "control-character", ""};
      } else if (held == kHeld.end()) {
        return {k, "not-cp932", ""};
      }
      const std::string bytes = cp == '\n' ? "" : EncodeCp932(cp).value_or(held->second);
      Check(cp == '\n' || Cp932ToUtf8(bytes) == utf8[k].substr(i, c.length));
      stored[k] += cp == '\n' ? "\\n" : bytes;
      shown[k] += cp == '\n' ? "\r\n" : bytes;
      i += c.length;
    }
  }
  const std::string line = stored[0] + "," + stored[1] + "," + stored[2];
  const WordRow back = WordList::SplitLine(line);
  for (size_t k = 0; k < 3; ++k) {
    if (k >= back.FieldCount() || back.Field(k) != stored[k]) {
      return {k, "", ""};
    }
  }
  const bool exact = back.FieldCount() == 3 && ResolveMeaningEscapes(stored[2]) == shown[2];
  return {2, "", exact ? line : ""};
}

void FuzzImport(std::string_view input, const ImportOptions& options) {
  ImportResult result;
  std::vector<ImportRefusal> refusals;
  std::map<size_t, size_t> warningsOnLine;
  std::string error;
  const bool imported = ImportDeck(
      input, options, result, error, [&](const ImportRefusal& r) { refusals.push_back(r); },
      [&](const ImportRefusal& w) {
        Check(OneLineOfUtf8(w.reason));
        ++warningsOnLine[w.line];
      });
  std::string_view body = input.substr(0, 3) == "\xEF\xBB\xBF" ? input.substr(3) : input;
  if (!body.empty() && body.back() == '\x1A') {
    body.remove_suffix(1);
  }
  const std::optional<char> chosen = DelimiterFor(body, options.format);
  const char delimiter = chosen.value_or(',');
  bool split = false;
  size_t holding = 0;  // records of text in one column that hold the other delimiter
  size_t text = 0;
  CsvReader all(body, delimiter);
  for (CsvRecord r; all.Next(r);) {
    split = split || r.fields.size() > 1;
    text += !r.fields[0].empty();
    holding += r.fields[0].find(delimiter == ',' ? '\t' : ',') != std::string::npos;
  }
  const bool oneColumn = !split && text > 0 && holding == text;
  Check(imported == (!FirstInvalidUtf8(body) && chosen && !oneColumn) &&
        (imported || OneLineOfUtf8(error)));
  CsvReader records(imported ? body : "", delimiter);
  std::istringstream deck(result.deck);
  TextLineReader reader(deck);
  size_t written = 0, refused = 0, empty = 0, more = 0, substituted = 0;
  for (CsvRecord r; records.Next(r);) {
    r.fields.resize(std::max<size_t>(r.fields.size(), 3));
    if (r.problem.empty() && r.fields[0].empty() && r.fields[1].empty() && r.fields[2].empty()) {
      ++empty;
      continue;
    }
    more += r.problem.empty() &&
            std::any_of(r.fields.begin() + 3, r.fields.end(), [](auto& f) { return !f.empty(); });
    std::string& pronunciation = r.fields[1];
    std::vector<IpaSubstitution> substitutions;
    std::string why;
    const bool ipa =
        std::any_of(pronunciation.begin(), pronunciation.end(), [](char c) { return c & 0x80; });
    const std::string given = pronunciation;
    const bool drawable = !ipa || IpaToNotation(given, pronunciation, substitutions, why);
    for (size_t k = 0; k < 3 && options.commaReplacement; ++k) {
      r.fields[k] = ReplaceAll(r.fields[k], ",", "\xE3\x80\x81");  // 、
    }
    const Verdict v = !r.problem.empty() ? Verdict{3, "csv", ""}
                      : !drawable        ? Verdict{1, "ipa", ""}
                                         : Judge(r.fields);
    std::string_view line;
    if (!v.line.empty()) {
      Check(written < result.writtenLines.size() && result.writtenLines[written++] == r.line);
      Check(reader.Next(line) && line == v.line);
      // Some warning for a row with substitutions, never more warnings than substitutions.
      const size_t warned = warningsOnLine[r.line];
      Check((warned > 0) == !substitutions.empty() && warned <= substitutions.size());
      warningsOnLine.erase(r.line);
      substituted += substitutions.size();
      continue;
    }
    Check(refused < refusals.size());
    const ImportRefusal& got = refusals[refused++];
    Check(got.line == r.line && OneLineOfUtf8(got.reason));
    Check(got.field == (v.field < 3 ? kColumnNames[v.field] : "") &&
          (v.code.empty() ? got.code != "csv" : got.code == v.code));
  }
  std::string_view rest;
  Check(!reader.Next(rest) && written == result.writtenLines.size());
  Check(refused == refusals.size() && refused == result.refused);
  Check(warningsOnLine.empty() && substituted == result.warnings);  // none for refused rows
  Check(empty == result.emptyRecords && more == result.recordsWithMoreColumns);
}

// As a deck the same bytes are read without fault, each finding worded on one line of UTF-8.
void FuzzCheck(std::string_view input) {
  static const std::string path = "/tmp/pelmo-deck-fuzz-" + std::to_string(getpid()) + ".csv";
  std::ofstream(path, std::ios::binary).write(input.data(), std::streamsize(input.size()));
  std::vector<Finding> findings;
  std::string error;
  Check(CheckDeckFile(path, findings, error) ==
        DescribeNonText(input.substr(0, input.find('\x1A'))).empty());
  for (const Finding& f : findings) {
    Check(OneLineOfUtf8(f.message) && !FirstInvalidUtf8(FindingJson(f, "deck")));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the options: its value modulo 3 the format, its bit 4 "--comma 、".
  ImportOptions options;
  if (size > 0) {
    options.format = static_cast<CsvFormat>(data[0] % 3);
    options.commaReplacement = (data[0] & 4) ? std::optional(U'\u3001') : std::nullopt;
  }
  const std::string_view input(reinterpret_cast<const char*>(data) + (size > 0), size - (size > 0));
  FuzzImport(input, options);
  FuzzCheck(input);
  return 0;
}
