#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "wordlist/word_list.h"

namespace pelmo::testing {

// A file written byte for byte in the test's working folder, removed again at the end.
class DeckFile {
 public:
  DeckFile(std::string_view bytes, std::string name) : name_(std::move(name)) {
    std::ofstream out(name_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~DeckFile() { std::remove(name_.c_str()); }
  DeckFile(const DeckFile&) = delete;
  DeckFile& operator=(const DeckFile&) = delete;

  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

// The rows of a list as plain strings, for comparing with one EXPECT_EQ.
inline std::vector<std::vector<std::string>> Fields(const std::vector<WordRow>& rows) {
  std::vector<std::vector<std::string>> out(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t i = 0; i < rows[r].FieldCount(); ++i) {
      out[r].emplace_back(rows[r].Field(i));
    }
  }
  return out;
}

}  // namespace pelmo::testing
