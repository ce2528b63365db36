#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo {

// Reads lines the way a Windows text-mode stream delivers them, from a stream opened in binary
// mode, so every build sees the same lines: a CR directly before LF is dropped, any other CR is
// kept, and a 0x1A byte ends the text.
class TextLineReader {
 public:
  explicit TextLineReader(std::istream& in, size_t chunkSize = 1 << 16);

  // The next line without its line end. False once the text is exhausted (end of file, 0x1A or a
  // read error) before any byte of a new line. The view is valid until the next call.
  bool Next(std::string_view& line);

 private:
  bool Fill();

  std::istream& in_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool finished_ = false;
  std::string carry_;
};

}  // namespace pelmo
