#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo::deck {

struct CsvRecord {
  size_t line = 0;  // where the record starts, from 1
  std::vector<std::string> fields;
  std::string problem;  // why the record is malformed; empty when it is not
  // Whether a field that does not start with a double quote holds one: read as an ordinary
  // character, but a sign that the delimiter may have cut a quoted field apart.
  bool strayQuote = false;
};

// Reads records as spreadsheets write them (RFC 4180): fields separated by the delimiter, a field
// that starts with a double quote runs to the closing quote, "" inside it is one quote, and line
// ends inside it belong to the field. CR LF, LF and a lone CR all end a record, and inside a
// quoted field all three become one LF. A quote inside an unquoted field is an ordinary
// character. Text after a closing quote, and a quote that never closes, make a record malformed.
class CsvReader {
 public:
  CsvReader(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {}

  // The next record, or false at the end. A blank line is a record of one empty field.
  bool Next(CsvRecord& record);

 private:
  // Consumes a line end at the current position, if there is one.
  bool LineEnd();
  void QuotedField(std::string& field, std::string& problem);

  std::string_view text_;
  char delimiter_;
  size_t pos_ = 0;
  size_t line_ = 1;
};

}  // namespace pelmo::deck
