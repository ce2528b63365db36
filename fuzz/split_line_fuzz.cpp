// Any bytes as one line: the fields joined with commas give the line back, and the separators are
// exactly the commas that are neither quoted nor the second byte of a two-byte character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "wordlist/word_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const pelmo::WordRow row = pelmo::WordList::SplitLine(line);
  if (row.FieldCount() < 1) {
    std::abort();
  }
  std::string joined;
  for (size_t i = 0; i < row.FieldCount(); ++i) {
    if (i != 0) {
      joined += ',';
    }
    joined += row.Field(i);
  }
  if (joined != line || row.Line() != line) {
    std::abort();
  }
  // A field never ends inside a two-byte character or inside quotes.
  bool quoted = false;
  size_t field = 0;
  size_t fieldEnd = row.Field(0).size();
  for (size_t i = 0; i < size; ++i) {
    const unsigned char c = data[i];
    if (i == fieldEnd && field + 1 < row.FieldCount()) {
      if (c != ',' || quoted) {
        std::abort();
      }
      ++field;
      fieldEnd = i + 1 + row.Field(field).size();
      continue;
    }
    if (c >= 0x80) {
      if (i + 1 == fieldEnd && i + 1 < size) {
        std::abort();  // the separator would be a second byte
      }
      ++i;
      continue;
    }
    if (c == '"' && (i == 0 || data[i - 1] != '\\')) {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      std::abort();  // an unquoted comma that did not separate
    }
  }
  return 0;
}
