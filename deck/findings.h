#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo::deck {

// Errors are what a learner would see wrong or miss altogether; warnings what may well be
// meant but usually is not; notes only inform. `check` exits 2 with any error, 1 with any
// warning, 0 otherwise.
enum class Severity { kNote, kWarning, kError };

struct Finding {
  Severity severity = Severity::kNote;
  std::string code;     // stable, for programs: "unknown-token", "unread-lines", ...
  size_t line = 0;      // from 1; 0 when the finding is about the whole file
  size_t column = 0;    // byte column from 1; 0 when none applies
  std::string message;  // UTF-8, one line
  std::string text;     // the text concerned, as UTF-8; may be empty
  std::optional<size_t> count;
};

// 0, 1 or 2 for the worst severity among the findings.
int ExitStatusFor(const std::vector<Finding>& findings);

// "deck.csv:3:5: warning: message [code]"; the line and column only when known, and
// "NAME: column 5: ..." for a column of one-line text.
std::string FormatFinding(const Finding& finding, std::string_view location);

// One JSON object on one line: {"file":…,"line":…,"column":…,"severity":…,"code":…,
// "message":…,"text":…,"count":…}, where line, column, text and count appear only when known.
std::string FindingJson(const Finding& finding, std::string_view file);

// A JSON string literal of UTF-8 text; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace pelmo::deck
