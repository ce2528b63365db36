#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pelmo {

// One line of the deck split into fields. The line's bytes and the positions of its separating
// commas live in a single heap block, so a row costs one allocation however many fields it has:
// the deck is held twice (display order and file order) and must stay small at a million rows.
class WordRow {
 public:
  WordRow() noexcept = default;
  // `separators` are the offsets of the commas that end fields 0 .. count-1, ascending.
  WordRow(std::string_view line, const uint32_t* separators, size_t separatorCount);
  WordRow(const WordRow& other);
  WordRow(WordRow&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  WordRow& operator=(const WordRow& other);
  WordRow& operator=(WordRow&& other) noexcept;
  ~WordRow();

  // A row made from a line always has at least one field; a default row has none.
  size_t FieldCount() const noexcept;
  std::string_view Field(size_t column) const noexcept;
  // The line the row was split from, commas included.
  std::string_view Line() const noexcept;

  friend void swap(WordRow& a, WordRow& b) noexcept {
    char* t = a.block_;
    a.block_ = b.block_;
    b.block_ = t;
  }

 private:
  uint32_t Word(size_t index) const noexcept;
  size_t BlockSize() const noexcept;

  // [line length][field count][separator offsets ...][line bytes], or null for no fields.
  char* block_ = nullptr;
};

}  // namespace pelmo
