#include "wordlist/word_list.h"

#include <fstream>
#include <limits>
#include <new>

#include "wordlist/load_failure.h"
#include "wordlist/shuffle.h"
#include "wordlist/text_line_reader.h"

namespace pelmo {

namespace {

// Walks a line by the splitting rule and calls `separator` with the offset of every comma that
// ends a field.
template <typename OnSeparator>
void ScanSeparators(std::string_view line, OnSeparator separator) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(line.data());
  const size_t n = line.size();
  bool quoted = false;
  size_t i = 0;
  while (i < n) {
    const unsigned char c = b[i];
    if (c >= 0x80) {
      i += 2;  // a two-byte character: its second byte is never a comma or a quote
      continue;
    }
    if (c == '"') {
      // A quote right after a backslash (even the second byte of a two-byte character) is
      // escaped and leaves the state as it was.
      if (i == 0 || b[i - 1] != '\\') {
        quoted = !quoted;
      }
    } else if (c == ',' && !quoted) {
      separator(i);
    }
    ++i;
  }
}

void ReportOutOfMemory(const std::string& fileName) {
  std::string message;
  try {
    message = OutOfMemoryMessage(fileName);
  } catch (const std::bad_alloc&) {
    ReportLoadFailure(kOutOfMemoryShortMessage);
    return;
  }
  ReportLoadFailure(message.c_str());
}

}  // namespace

WordRow WordList::SplitLine(std::string_view line) {
  // Most lines have a handful of fields: keep their offsets on the stack.
  constexpr size_t kInline = 32;
  uint32_t inlineSeparators[kInline];
  std::vector<uint32_t> manySeparators;
  size_t count = 0;
  ScanSeparators(line, [&](size_t offset) {
    if (count < kInline) {
      inlineSeparators[count] = static_cast<uint32_t>(offset);
    } else {
      if (count == kInline) {
        manySeparators.assign(inlineSeparators, inlineSeparators + kInline);
      }
      manySeparators.push_back(static_cast<uint32_t>(offset));
    }
    ++count;
  });
  return WordRow(line, count <= kInline ? inlineSeparators : manySeparators.data(), count);
}

bool WordList::Load(const std::string& fileName) {
  rows.clear();
  try {
    std::ifstream in(fileName, std::ios::in | std::ios::binary);
    if (!in.is_open()) {
      ReportLoadFailure(CannotOpenMessage(fileName).c_str());
      return false;
    }
    TextLineReader reader(in);
    std::string_view line;
    while (reader.Next(line) && !line.empty()) {
      rows.push_back(SplitLine(line));
    }
    fileOrder = rows;
  } catch (const std::bad_alloc&) {
    // Give the memory back before reporting, so the report itself has room.
    std::vector<WordRow>().swap(rows);
    std::vector<WordRow>().swap(fileOrder);
    ReportOutOfMemory(fileName);
    return false;
  }
  if (rows.empty()) {
    ReportLoadFailure(NoDataMessage().c_str());
    return false;
  }
  return true;
}

int WordList::RowCount() const {
  // More rows than an int can count cannot be read into a 32-bit process; clamp all the same.
  return rows.size() > static_cast<size_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(rows.size());
}

bool WordList::GetField(int row, int column, std::string& out) const {
  if (row < 0 || row >= RowCount() || column < 0) {
    return false;
  }
  const WordRow& r = rows[static_cast<size_t>(row)];
  if (static_cast<size_t>(column) >= r.FieldCount()) {
    return false;
  }
  const std::string_view field = r.Field(static_cast<size_t>(column));
  out.assign(field.data(), field.size());
  return true;
}

void WordList::SetShuffle(bool on) {
  if (on) {
    if (!rows.empty()) {
      ShuffleRows(rows.data(), rows.size());
    }
  } else {
    rows = fileOrder;
  }
}

}  // namespace pelmo
