// Any bytes as a whole deck file: Load either reports "no data" or returns one row per line before
// the first empty line, the first 0x1A or the end, split exactly as SplitLine splits that line.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "wordlist/load_failure.h"
#include "wordlist/word_list.h"

namespace {

int failures = 0;
void Count(const char*) {
  ++failures;
}

// The lines the viewer must see, worked out the slow, obvious way.
std::vector<std::string> ExpectedLines(std::string_view bytes) {
  const size_t eof = bytes.find('\x1a');
  if (eof != std::string_view::npos) {
    bytes = bytes.substr(0, eof);
  }
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    const bool hasEnd = end != std::string_view::npos;
    if (!hasEnd) {
      end = bytes.size();
    }
    std::string line(bytes.substr(start, end - start));
    if (hasEnd && !line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.empty()) {
      break;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/pelmo-load-fuzz-" + std::to_string(getpid()) + ".csv";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(size));
  }
  pelmo::SetLoadFailureHandler(&Count);
  failures = 0;
  pelmo::WordList list;
  const bool loaded = list.Load(path);
  const std::vector<std::string> lines = ExpectedLines(bytes);
  if (loaded != !lines.empty() || failures != (loaded ? 0 : 1)) {
    std::abort();
  }
  if (list.RowCount() != static_cast<int>(lines.size()) || list.fileOrder.size() != lines.size()) {
    std::abort();
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const pelmo::WordRow expected = pelmo::WordList::SplitLine(lines[i]);
    const pelmo::WordRow& row = list.rows[i];
    if (row.FieldCount() < 1 || row.Line() != lines[i] || list.fileOrder[i].Line() != lines[i] ||
        row.FieldCount() != expected.FieldCount()) {
      std::abort();
    }
    for (size_t f = 0; f < row.FieldCount(); ++f) {
      if (row.Field(f) != expected.Field(f)) {
        std::abort();
      }
    }
  }
  return 0;
}
