#include "wordlist/word_row.h"

#include <cstring>
#include <new>

namespace pelmo {

namespace {

constexpr size_t kWord = sizeof(uint32_t);

}  // namespace

WordRow::WordRow(std::string_view line, const uint32_t* separators, size_t separatorCount) {
  const size_t words = 2 + separatorCount;
  // Offsets are 32-bit; a line that cannot be described by them is as good as out of memory.
  if (line.size() > UINT32_MAX || separatorCount >= UINT32_MAX ||
      line.size() > SIZE_MAX - words * kWord) {
    throw std::bad_alloc();
  }
  block_ = static_cast<char*>(::operator new(words* kWord + line.size()));
  const uint32_t header[2] = {static_cast<uint32_t>(line.size()),
                              static_cast<uint32_t>(separatorCount + 1)};
  std::memcpy(block_, header, sizeof header);
  if (separatorCount != 0) {
    std::memcpy(block_ + 2 * kWord, separators, separatorCount * kWord);
  }
  if (!line.empty()) {
    std::memcpy(block_ + words * kWord, line.data(), line.size());
  }
}

WordRow::WordRow(const WordRow& other) {
  if (other.block_ != nullptr) {
    const size_t size = other.BlockSize();
    block_ = static_cast<char*>(::operator new(size));
    std::memcpy(block_, other.block_, size);
  }
}

WordRow& WordRow::operator=(const WordRow& other) {
  if (this != &other) {
    WordRow copy(other);
    swap(*this, copy);
  }
  return *this;
}

WordRow& WordRow::operator=(WordRow&& other) noexcept {
  if (this != &other) {
    ::operator delete(block_);
    block_ = other.block_;
    other.block_ = nullptr;
  }
  return *this;
}

WordRow::~WordRow() {
  ::operator delete(block_);
}

uint32_t WordRow::Word(size_t index) const noexcept {
  uint32_t value;
  std::memcpy(&value, block_ + index * kWord, kWord);
  return value;
}

size_t WordRow::BlockSize() const noexcept {
  return (1 + Word(1)) * kWord + Word(0);
}

size_t WordRow::FieldCount() const noexcept {
  return block_ == nullptr ? 0 : Word(1);
}

std::string_view WordRow::Line() const noexcept {
  if (block_ == nullptr) {
    return {};
  }
  return {block_ + (1 + Word(1)) * kWord, Word(0)};
}

std::string_view WordRow::Field(size_t column) const noexcept {
  const size_t count = FieldCount();
  if (column >= count) {
    return {};
  }
  const size_t begin = column == 0 ? 0 : Word(2 + column - 1) + 1;
  const size_t end = column + 1 == count ? Word(0) : Word(2 + column);
  return Line().substr(begin, end - begin);
}

}  // namespace pelmo
