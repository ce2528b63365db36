#include "deck/check.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <map>
#include <streambuf>
#include <string_view>

#include "deck/files.h"
#include "deck/messages.h"
#include "deck/notation_findings.h"
#include "deck/text_encoding.h"
#include "wordlist/load_failure.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace pelmo::deck {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Bytes already in memory, read through the viewer's own line reader.
class ViewStreamBuf : public std::streambuf {
 public:
  explicit ViewStreamBuf(std::string_view bytes) {
    char* begin = const_cast<char*>(bytes.data());
    setg(begin, begin, begin + bytes.size());
  }
};

Finding Make(Severity severity, const char* code, size_t line, size_t column, std::string message) {
  Finding f;
  f.severity = severity;
  f.code = code;
  f.line = line;
  f.column = column;
  f.message = std::move(message);
  return f;
}

std::string Plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Collects findings, listing at most kListedPerCode of each kind and counting the rest, so that
// a deck wrong on every one of a million lines still gives a report of bounded size.
class FindingList {
 public:
  static constexpr size_t kListedPerCode = 1000;

  explicit FindingList(std::vector<Finding>& findings) : findings_(findings) {}

  void Add(Finding finding) {
    ++totals_[static_cast<size_t>(finding.severity)];
    if (++counts_[finding.code] <= kListedPerCode) {
      findings_.push_back(std::move(finding));
    }
  }

  void Finish() {
    for (const auto& [code, count] : counts_) {
      if (count > kListedPerCode) {
        Finding f = Make(Severity::kNote, "more-findings", 0, 0,
                         Plural(count - kListedPerCode, "more finding", "more findings") +
                             " of the kind " + code + " not listed");
        f.text = code;
        f.count = count - kListedPerCode;
        findings_.push_back(std::move(f));
        ++totals_[static_cast<size_t>(Severity::kNote)];
      }
    }
  }

  // Findings of each severity, listed or only counted.
  const SeverityTotals& totals() const { return totals_; }

 private:
  std::vector<Finding>& findings_;
  std::map<std::string, size_t> counts_;
  SeverityTotals totals_ = {};
};

// Non-empty lines in text the viewer never reads. Past the first 0x1A there is no text for the
// viewer at all, so every further 0x1A simply counts as a line end there.
size_t CountNonEmptyLines(std::string_view bytes) {
  std::string text(bytes);
  std::replace(text.begin(), text.end(), '\x1a', '\n');
  ViewStreamBuf buffer(text);
  std::istream in(&buffer);
  TextLineReader reader(in);
  size_t count = 0;
  std::string_view line;
  while (reader.Next(line)) {
    count += !line.empty();
  }
  return count;
}

// Where the viewer stopped reading, and what it left unread: the rest of the text after an
// empty line, and everything after the first 0x1A.
void ReportWhereReadingStops(std::string_view bytes, TextLineReader& reader, bool atEmptyLine,
                             size_t lineNumber, FindingList& findings) {
  size_t unread = 0;
  std::string_view line;
  if (atEmptyLine) {
    while (reader.Next(line)) {
      unread += !line.empty();
    }
  }
  const size_t eof = bytes.find('\x1a');
  if (eof != std::string_view::npos) {
    unread += CountNonEmptyLines(bytes.substr(eof + 1));
  }
  Finding f;
  if (atEmptyLine) {
    f = Make(Severity::kNote, "stops-at-empty-line", lineNumber, 0,
             "reading stops at this empty line; only empty lines follow");
  } else if (eof != std::string_view::npos) {
    const size_t lineStart = bytes.rfind('\n', eof) + 1;  // npos + 1 is 0
    const size_t eofLine =
        1 + static_cast<size_t>(
                std::count(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(eof), '\n'));
    f = Make(Severity::kNote, "stops-at-eof-byte", eofLine, eof - lineStart + 1,
             "a 0x1A byte ends the text here; nothing but empty lines follows");
  } else {
    return;
  }
  if (unread > 0) {
    f.severity = Severity::kError;
    f.code = "unread-lines";
    f.message =
        (atEmptyLine ? "reading stops at this empty line: " : "a 0x1A byte ends the text here: ") +
        Plural(unread, "non-empty line", "non-empty lines") + " after it " +
        (unread == 1 ? "is" : "are") + " never read";
    f.count = unread;
  }
  findings.Add(std::move(f));
}

// What a Japanese-English deck saved as UTF-8 holds: Latin letters with accents, IPA, punctuation,
// and the Japanese and full-width blocks (and emoji). Greek, Cyrillic, Hebrew and the like, where
// the one-byte katakana pairs of a code page 932 line fall when read as UTF-8, are not in it.
bool PlausibleInUtf8Deck(char32_t c) {
  return c < 0x80 || (c >= 0xA0 && c <= 0x36F) || (c >= 0x1E00 && c <= 0x1EFF) ||
         (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFFEF) || c >= 0x1F000;
}

// A line that reads sensibly as UTF-8 and not as code page 932. Valid UTF-8 of plausible
// characters is not enough, since short runs of one-byte katakana are valid UTF-8 too: the code
// page 932 reading must also fail, or the UTF-8 one hold a character of three or more bytes (as
// every Japanese one has), or a one-byte katakana stand right after a Latin letter, as the
// halves of "é" do in "café".
bool ReadsAsUtf8(std::string_view text) {
  if (std::none_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; }) ||
      FirstInvalidUtf8(text)) {
    return false;
  }
  bool wide = false;
  for (size_t i = 0; i < text.size();) {
    const DecodedChar c = DecodeUtf8At(text, i);
    if (!PlausibleInUtf8Deck(c.codePoint.value_or(0))) {
      return false;
    }
    wide = wide || c.length >= 3;
    i += c.length;
  }
  if (wide) {
    return true;
  }
  for (size_t i = 0; i < text.size();) {
    const DecodedChar c = DecodeCp932At(text, i);
    if (!c.codePoint) {
      return true;
    }
    const bool kana = *c.codePoint >= 0xFF61 && *c.codePoint <= 0xFF9F;
    if (kana && i > 0 && std::isalpha(static_cast<unsigned char>(text[i - 1]))) {
      return true;
    }
    i += c.length;
  }
  return false;
}

void ReportInvalidBytes(std::string_view line, size_t from, size_t lineNumber,
                        FindingList& findings) {
  size_t runStart = 0;
  size_t runEnd = 0;
  auto flush = [&] {
    if (runEnd > runStart) {
      const std::string_view bytes = line.substr(runStart, runEnd - runStart);
      Finding f =
          Make(Severity::kError, "invalid-cp932", lineNumber, runStart + 1, NotCp932Text(bytes));
      f.count = bytes.size();
      findings.Add(std::move(f));
    }
    runStart = runEnd = 0;
  };
  for (size_t i = from; i < line.size();) {
    const DecodedChar c = DecodeCp932At(line, i);
    if (!c.codePoint) {
      if (runEnd != i) {
        flush();
        runStart = i;
      }
      runEnd = i + c.length;
    }
    i += c.length;
  }
  flush();
}

// The viewer takes every byte from 0x80 up as the first of two. After a one-byte katakana or a
// stray byte it is out of step with the real characters, and a comma or quote can vanish into a
// character it imagines.
void ReportHiddenSeparators(std::string_view line, size_t lineNumber, FindingList& findings) {
  for (size_t i = 0; i < line.size();) {
    if (static_cast<unsigned char>(line[i]) < 0x80) {
      ++i;
      continue;
    }
    if (i + 1 < line.size() && (line[i + 1] == ',' || line[i + 1] == '"')) {
      Finding f = Make(Severity::kWarning, "hidden-separator", lineNumber, i + 2,
                       "the viewer takes this " + Quoted(std::string(1, line[i + 1])) +
                           " as the second byte of a two-byte character, so it neither "
                           "separates nor quotes (a one-byte katakana or a stray byte before "
                           "it puts the viewer out of step)");
      f.text = line.substr(i + 1, 1);
      findings.Add(std::move(f));
    }
    i += 2;
  }
}

void ReportLoneCarriageReturns(std::string_view line, size_t lineNumber, FindingList& findings) {
  const size_t first = line.find('\r');
  if (first == std::string_view::npos) {
    return;
  }
  const size_t n = static_cast<size_t>(std::count(line.begin(), line.end(), '\r'));
  Finding f = Make(Severity::kWarning, "lone-cr", lineNumber, first + 1,
                   std::string("a CR not followed by LF is no line end: the viewer keeps it in "
                               "the text") +
                       (n > 1 ? " (" + std::to_string(n) + " on this line)" : ""));
  f.count = n;
  findings.Add(std::move(f));
}

// Why a comma of the line does not separate, as the viewer's splitter sees it: the column of the
// first such comma and the cause. Empty when every comma separates.
std::string SwallowedComma(std::string_view line) {
  bool quoted = false;
  size_t opened = 0;        // the column of the quote that opened the quotation
  size_t blockedQuote = 0;  // within it, a quote after a second byte 0x5C, which closes nothing
  for (size_t i = 0; i < line.size(); ++i) {
    if (static_cast<unsigned char>(line[i]) >= 0x80) {
      if (i + 1 < line.size() && line[i + 1] == ',') {
        return "the comma at column " + std::to_string(i + 2) +
               " is taken for the second byte of a two-byte character";
      }
      if (quoted && blockedQuote == 0 && i + 2 < line.size() && line[i + 1] == '\\' &&
          line[i + 2] == '"') {
        blockedQuote = i + 3;
      }
      ++i;
    } else if (line[i] == '"' && (i == 0 || line[i - 1] != '\\')) {
      quoted = !quoted;
      opened = i + 1;
      blockedQuote = 0;
    } else if (line[i] == ',' && quoted) {
      std::string why = "the comma at column " + std::to_string(i + 1) +
                        " is inside the double quotes opened at column " + std::to_string(opened);
      if (blockedQuote != 0) {
        why += ", which the quote at column " + std::to_string(blockedQuote) +
               " does not close: the character before it ends in a backslash byte";
      }
      return why;
    }
  }
  return {};
}

void ReportFieldCount(const WordRow& row, size_t lineNumber, FindingList& findings) {
  const size_t n = row.FieldCount();
  if (n == 1 || n == 2) {
    const std::string why = SwallowedComma(row.Line());
    findings.Add(Make(Severity::kWarning, "short-row", lineNumber, 0,
                      n == 1 ? "only one field (" + (why.empty() ? "no comma" : why) +
                                   "): the card shows no pronunciation and no meaning"
                             : "only two fields" + (why.empty() ? "" : " (" + why + ")") +
                                   ": the card shows no meaning"));
  } else if (n > 3) {
    const size_t comma = static_cast<size_t>(row.Field(3).data() - row.Line().data());
    Finding f = Make(Severity::kWarning, "extra-fields", lineNumber, comma,
                     std::to_string(n) +
                         " fields: the meaning ends at this comma and the rest is never shown "
                         "(a comma inside a field needs double quotes round it, or write "
                         "\xE3\x80\x81 instead)");
    f.count = n;
    findings.Add(std::move(f));
  }
}

// The meaning's escapes work on bytes, so a character whose second byte is a backslash (ソ, 表,
// 能, ...) can start one: the first pass turns it and an n after it into a line break; the second
// shrinks it and a backslash after it to one, unless the first pass has already taken that
// backslash, with an n after it, for a line break of its own.
void ReportEatenCharacters(std::string_view meaning, size_t firstColumn, size_t lineNumber,
                           FindingList& findings) {
  auto at = [&](size_t k) { return k < meaning.size() ? meaning[k] : '\0'; };
  for (size_t i = 0; i < meaning.size();) {
    const DecodedChar c = DecodeCp932At(meaning, i);
    if (c.codePoint && c.length == 2 && meaning[i + 1] == '\\' &&
        (at(i + 2) == 'n' || (at(i + 2) == '\\' && at(i + 3) != 'n'))) {
      const std::string shown = Cp932ToUtf8(meaning.substr(i, 2));
      Finding f =
          Make(Severity::kWarning, "escape-eats-character", lineNumber, firstColumn + i,
               "the second byte of " + Quoted(shown) + " is a backslash: " +
                   (meaning[i + 2] == 'n'
                        ? "with the n after it the viewer shows a line break in place of both"
                        : "the viewer drops the backslash after it"));
      f.text = shown + meaning[i + 2];
      findings.Add(std::move(f));
    }
    i += c.length;
  }
}

size_t ColumnOf(const WordRow& row, size_t field) {
  return static_cast<size_t>(row.Field(field).data() - row.Line().data()) + 1;
}

// The lines that read as UTF-8: reported once, at the first, with how many there are.
class Utf8Lines {
 public:
  void Add(std::string_view text, size_t lineNumber) {
    if (count_++ == 0) {
      first_ = Make(Severity::kError, "utf8-text", lineNumber, 0, "");
      first_.text = std::string(text);
    }
  }
  void Report(FindingList& findings) {
    if (count_ == 0) {
      return;
    }
    first_.message =
        "this line reads as UTF-8 text (" + Quoted(Shortened(first_.text)) +
        "), not as code page 932: the viewer shows it garbled" +
        (count_ > 1 ? "; so do " + Plural(count_ - 1, "more line", "more lines") : std::string()) +
        ". Save the deck as code page 932 (Shift-JIS)";
    first_.count = count_;
    findings.Add(std::move(first_));
  }

 private:
  // A long line is quoted in part; the finding's text keeps all of it.
  static std::string Shortened(const std::string& utf8) {
    constexpr size_t kShown = 40;
    size_t at = 0;
    for (size_t n = 0; at < utf8.size() && n < kShown; ++n) {
      at += DecodeUtf8At(utf8, at).length;
    }
    return at < utf8.size() ? utf8.substr(0, at) + "\xE2\x80\xA6" : utf8;  // …
  }

  size_t count_ = 0;
  Finding first_;
};

void CheckRow(const WordRow& row, size_t lineNumber, FindingList& findings, Utf8Lines& utf8) {
  const std::string_view line = row.Line();
  size_t start = 0;
  if (lineNumber == 1 && line.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    findings.Add(Make(Severity::kError, "utf8-bom", 1, 1,
                      "a UTF-8 byte-order mark: the viewer shows its three bytes as stray "
                      "characters before the first word"));
    start = kUtf8Bom.size();
  }
  const bool isUtf8 = ReadsAsUtf8(line.substr(start));
  if (isUtf8) {
    utf8.Add(line.substr(start), lineNumber);
  } else {
    ReportInvalidBytes(line, start, lineNumber, findings);
    ReportHiddenSeparators(line, lineNumber, findings);
  }
  ReportLoneCarriageReturns(line, lineNumber, findings);
  ReportFieldCount(row, lineNumber, findings);
  if (row.FieldCount() >= 2) {
    AddNotationFindings(row.Field(1), lineNumber, ColumnOf(row, 1), true,
                        [&](Finding&& f) { findings.Add(std::move(f)); });
  }
  if (row.FieldCount() >= 3 && !isUtf8) {
    ReportEatenCharacters(row.Field(2), ColumnOf(row, 2), lineNumber, findings);
  }
}

}  // namespace

bool CheckDeckFile(const std::string& path, std::vector<Finding>& findings, std::string& error,
                   SeverityTotals* totals) {
  std::string bytes;
  if (!ReadInputFile(path, bytes, error)) {
    return false;
  }
  error = DescribeNonDeck(bytes);
  if (!error.empty()) {
    return false;
  }
  FindingList list(findings);
  Utf8Lines utf8;
  // The viewer's loader, a row at a time: its line reader, its splitter, up to the first empty
  // line. Rows are not kept, so a deck of millions of tiny rows costs no more than its bytes.
  ViewStreamBuf buffer(bytes);
  std::istream in(&buffer);
  TextLineReader reader(in);
  std::string_view line;
  size_t lineNumber = 0;
  bool atEmptyLine = false;
  while (reader.Next(line)) {
    ++lineNumber;
    if (line.empty()) {
      atEmptyLine = true;
      break;
    }
    CheckRow(WordList::SplitLine(line), lineNumber, list, utf8);
  }
  const size_t rows = atEmptyLine ? lineNumber - 1 : lineNumber;
  if (rows > 0) {
    Finding f = Make(Severity::kNote, "rows-loaded", 0, 0, Plural(rows, "row", "rows") + " loaded");
    f.count = rows;
    list.Add(std::move(f));
  } else {
    list.Add(Make(Severity::kError, "no-rows", 0, 0,
                  "the viewer refuses this deck: " + Cp932ToUtf8(NoDataMessage())));
  }
  ReportWhereReadingStops(bytes, reader, atEmptyLine, lineNumber, list);
  utf8.Report(list);
  list.Finish();
  if (totals) {
    *totals = list.totals();
  }
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return true;
}

}  // namespace pelmo::deck
