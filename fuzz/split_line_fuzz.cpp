// Any bytes as one line: the fields joined with commas give the line back, and the separators are
// exactly the commas that are neither quoted nor the second byte of a two-byte character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/check.h"
#include "wordlist/word_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const pelmo::WordRow row = pelmo::WordList::SplitLine(line);
  Check(row.FieldCount() >= 1);
  std::string joined;
  for (size_t i = 0; i < row.FieldCount(); ++i) {
    if (i != 0) {
      joined += ',';
    }
    joined += row.Field(i);
  }
  Check(joined == line && row.Line() == line);
  // A field never ends inside a two-byte character or inside quotes.
  bool quoted = false;
  size_t field = 0;
  size_t fieldEnd = row.Field(0).size();
  for (size_t i = 0; i < size; ++i) {
    const unsigned char c = data[i];
    if (i == fieldEnd && field + 1 < row.FieldCount()) {
      Check(c == ',' && !quoted);
      ++field;
      fieldEnd = i + 1 + row.Field(field).size();
      continue;
    }
    if (c >= 0x80) {
      Check(!(i + 1 == fieldEnd && i + 1 < size));  // the separator would be a second byte
      ++i;
      continue;
    }
    if (c == '"' && (i == 0 || data[i - 1] != '\\')) {
      quoted = !quoted;
    } else {
      Check(c != ',' || quoted);  // no unquoted comma that did not separate
    }
  }
  return 0;
}
