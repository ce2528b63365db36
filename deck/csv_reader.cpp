#include "deck/csv_reader.h"

namespace pelmo::deck {

bool CsvReader::LineEnd() {
  if (pos_ >= text_.size() || (text_[pos_] != '\r' && text_[pos_] != '\n')) {
    return false;
  }
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') {
    ++pos_;
  }
  ++pos_;
  ++line_;
  return true;
}

void CsvReader::QuotedField(std::string& field, std::string& problem) {
  const size_t openedOn = line_;
  ++pos_;  // the opening quote
  for (;;) {
    if (pos_ >= text_.size()) {
      problem = "the double quote that opens a field on line " + std::to_string(openedOn) +
                " never closes, so the rest of the file is inside it";
      return;
    }
    const char c = text_[pos_];
    if (c == '"') {
      if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
        field += '"';
        pos_ += 2;
        continue;
      }
      ++pos_;
      break;
    }
    if (LineEnd()) {
      field += '\n';
      continue;
    }
    field += c;
    ++pos_;
  }
  // After the closing quote only a delimiter or a line end may follow.
  const size_t stray = pos_;
  while (pos_ < text_.size() && text_[pos_] != delimiter_ && text_[pos_] != '\r' &&
         text_[pos_] != '\n') {
    ++pos_;
  }
  if (pos_ > stray && problem.empty()) {
    problem = "text after the closing double quote of a field on line " + std::to_string(line_);
  }
}

bool CsvReader::Next(CsvRecord& record) {
  if (pos_ >= text_.size()) {
    return false;
  }
  record.line = line_;
  record.fields.clear();
  record.problem.clear();
  record.strayQuote = false;
  for (;;) {
    std::string field;
    if (pos_ < text_.size() && text_[pos_] == '"') {
      QuotedField(field, record.problem);
    } else {
      const size_t start = pos_;
      while (pos_ < text_.size() && text_[pos_] != delimiter_ && text_[pos_] != '\r' &&
             text_[pos_] != '\n') {
        ++pos_;
      }
      field.assign(text_.substr(start, pos_ - start));
      record.strayQuote = record.strayQuote || field.find('"') != std::string::npos;
    }
    record.fields.push_back(std::move(field));
    if (pos_ < text_.size() && text_[pos_] == delimiter_) {
      ++pos_;
      continue;
    }
    LineEnd();
    return true;
  }
}

}  // namespace pelmo::deck
