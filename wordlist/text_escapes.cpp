#include "wordlist/text_escapes.h"

#include <cstring>

namespace pelmo {

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
  if (pattern.empty()) {
    return std::string(text);
  }
  // Bytes are moved to `out` one at a time. Occurrences all have the pattern's length, so the
  // leftmost one is the one that ends first: it is found the moment its last byte arrives. A
  // replacement goes back in front of the unread text, and nothing before the place it was
  // inserted is ever looked at again.
  const size_t m = pattern.size();
  std::string out;
  out.reserve(text.size());
  std::string pending;  // replacement bytes still to read, last first
  size_t settled = 0;   // no occurrence may start before this
  size_t i = 0;
  for (;;) {
    char c;
    if (!pending.empty()) {
      c = pending.back();
      pending.pop_back();
    } else if (i < text.size()) {
      c = text[i++];
    } else {
      break;
    }
    out.push_back(c);
    if (c == pattern.back() && out.size() >= m && out.size() - m >= settled &&
        std::memcmp(out.data() + out.size() - m, pattern.data(), m) == 0) {
      settled = out.size() - m;
      out.resize(settled);
      pending.append(replacement.rbegin(), replacement.rend());
    }
  }
  return out;
}

std::string ResolveMeaningEscapes(std::string_view meaning) {
  return ReplaceAll(ReplaceAll(meaning, "\\n", "\r\n"), "\\\\", "\\");
}

}  // namespace pelmo
