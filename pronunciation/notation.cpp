#include "pronunciation/notation.h"

#include <algorithm>

namespace pelmo {

namespace {

// A start character and at most four continuation characters.
constexpr size_t kMaxTokenLength = 5;

bool IsLeadByte(unsigned char c) {
  return c >= 0x80;
}

bool IsStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || c == '(' || c == ')' || c == '<' || c == '>' || c == ':' ||
         c == ';';
}

bool IsContinuation(unsigned char c) {
  return (c >= '0' && c <= '9') || c == '!';
}

}  // namespace

std::string NormalizeNotation(std::string_view text) {
  std::string folded(text);
  for (size_t i = 0; i < folded.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folded[i]);
    if (IsLeadByte(c)) {
      ++i;  // a second byte in A-Z is part of another character, not a letter
    } else if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}

std::optional<NotationPiece> NotationScanner::Next() noexcept {
  const size_t size = text_.size();
  const size_t start = position_;
  if (start >= size) {
    return std::nullopt;
  }
  NotationPiece piece{NotationPiece::Kind::kSkipped, start, 1, {}, std::nullopt};
  const unsigned char c = static_cast<unsigned char>(text_[start]);
  if (IsLeadByte(c)) {
    piece.length = std::min<size_t>(2, size - start);
  } else if (IsStart(c)) {
    // Greedy: the longest run is looked up as it stands, never a shorter prefix of it.
    size_t end = start + 1;
    while (end < size && end - start < kMaxTokenLength &&
           IsContinuation(static_cast<unsigned char>(text_[end]))) {
      ++end;
    }
    piece.kind = NotationPiece::Kind::kToken;
    piece.length = end - start;
    piece.key = text_.substr(start, piece.length);
    piece.id = table_->Find(piece.key);
  } else if (c == '[') {
    const size_t close = noCloseAhead_ ? std::string_view::npos : FindClose(start + 1);
    if (close == std::string_view::npos) {
      noCloseAhead_ = true;
      piece.kind = NotationPiece::Kind::kUnmatchedBracket;
    } else {
      piece.kind = NotationPiece::Kind::kBracketedKey;
      piece.length = close + 1 - start;
      piece.key = text_.substr(start + 1, close - start - 1);
      piece.id = table_->Find(piece.key);
    }
  }
  position_ = start + piece.length;
  return piece;
}

// Steps over two-byte characters as the scan does, so a second byte is never taken for "]". The
// scan after an unclosed "[" lands only on positions this walk also visits, which is why one
// failed search stands for every later "[" and the scan stays linear.
size_t NotationScanner::FindClose(size_t from) const noexcept {
  size_t i = from;
  while (i < text_.size()) {
    const unsigned char c = static_cast<unsigned char>(text_[i]);
    if (c == ']') {
      return i;
    }
    i += IsLeadByte(c) ? 2 : 1;
  }
  return std::string_view::npos;
}

std::vector<GlyphId> ScanNotation(std::string_view normalised, const GlyphTable& table) {
  std::vector<GlyphId> ids;
  ScanNotation(normalised, table, [&ids](const NotationPiece& piece) {
    if (piece.id) {
      ids.push_back(*piece.id);
    }
  });
  return ids;
}

}  // namespace pelmo
