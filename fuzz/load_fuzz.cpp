// Any bytes as a whole deck file: Load either reports "no data" or returns one row per line before
// the first empty line, the first 0x1A or the end, split exactly as SplitLine splits that line.
// The line reader alone gives every line up to 0x1A, empty ones included, at any chunk size.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "wordlist/load_failure.h"
#include "wordlist/text_line_reader.h"
#include "wordlist/word_list.h"

namespace {

int failures = 0;
void Count(const char*) {
  ++failures;
}

// The lines a text-mode stream gives, worked out the slow, obvious way.
std::vector<std::string> TextLines(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\x1a'));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = std::min(bytes.find('\n', start), bytes.size());
    const bool hasEnd = end < bytes.size();
    std::string line(bytes.substr(start, end - start));
    if (hasEnd && !line.empty() && line.back() == '\r') {
      line.pop_back();
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
  const std::vector<std::string> all = TextLines(bytes);
  std::vector<std::string> lines(all.begin(), std::find(all.begin(), all.end(), ""));
  // Small chunks put line ends, CR LF pairs and 0x1A on every chunk boundary.
  std::istringstream in{std::string(bytes)};
  pelmo::TextLineReader reader(in, 1 + size % 7);
  std::string_view line;
  for (const std::string& expected : all) {
    Check(reader.Next(line) && line == expected);
  }
  Check(!reader.Next(line));
  Check(loaded == !lines.empty() && failures == (loaded ? 0 : 1));
  Check(list.RowCount() == static_cast<int>(lines.size()) && list.fileOrder.size() == lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const pelmo::WordRow expected = pelmo::WordList::SplitLine(lines[i]);
    const pelmo::WordRow& row = list.rows[i];
    Check(row.Line() == lines[i] && list.fileOrder[i].Line() == lines[i] &&
          row.FieldCount() == expected.FieldCount());
    for (size_t f = 0; f < row.FieldCount(); ++f) {
      Check(row.Field(f) == expected.Field(f));
    }
  }
  return 0;
}
