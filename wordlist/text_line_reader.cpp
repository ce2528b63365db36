#include "wordlist/text_line_reader.h"

#include <cstring>

namespace pelmo {

TextLineReader::TextLineReader(std::istream& in, size_t chunkSize)
    : in_(in), buffer_(chunkSize == 0 ? 1 : chunkSize) {}

bool TextLineReader::Fill() {
  pos_ = 0;
  end_ = 0;
  if (finished_) {
    return false;
  }
  in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  end_ = static_cast<size_t>(in_.gcount());
  if (end_ < buffer_.size()) {
    finished_ = true;  // end of file or a read error: either way the text ends here
  }
  if (const void* eof = std::memchr(buffer_.data(), 0x1A, end_)) {
    end_ = static_cast<size_t>(static_cast<const char*>(eof) - buffer_.data());
    finished_ = true;
  }
  return end_ != 0;
}

bool TextLineReader::Next(std::string_view& line) {
  carry_.clear();
  bool any = false;
  for (;;) {
    if (pos_ == end_ && !Fill()) {
      break;
    }
    any = true;
    const char* start = buffer_.data() + pos_;
    const void* lf = std::memchr(start, '\n', end_ - pos_);
    if (lf == nullptr) {
      carry_.append(start, end_ - pos_);
      pos_ = end_;
      continue;
    }
    const size_t length = static_cast<size_t>(static_cast<const char*>(lf) - start);
    pos_ += length + 1;
    if (carry_.empty()) {
      line = std::string_view(start, length);
    } else {
      carry_.append(start, length);
      line = carry_;
    }
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    return true;
  }
  // The last line had no line end: its CR, if any, is not before a LF and stays.
  line = carry_;
  return any;
}

}  // namespace pelmo
