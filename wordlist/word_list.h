#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wordlist/word_row.h"

namespace pelmo {

// The deck: every line of the word list split into fields, in display order and in file order.
class WordList {
 public:
  // Reads the named file. On failure (cannot open, no row, out of memory) the failure is
  // reported; the default report ends the process, so in the program Load returns only true.
  bool Load(const std::string& fileName);

  // Splits one line (without its line end) at the commas outside double quotes. Bytes of 0x80 and
  // above start a two-byte character whose second byte is never examined.
  static WordRow SplitLine(std::string_view line);

  int RowCount() const;

  // Copies field `column` of row `row` into `out`; false, with `out` untouched, when either is
  // out of range.
  bool GetField(int row, int column, std::string& out) const;

  // On: shuffles `rows` in place. Off: `rows` becomes a copy of `fileOrder` again.
  void SetShuffle(bool on);

  std::vector<WordRow> rows;
  std::vector<WordRow> fileOrder;
};

}  // namespace pelmo
