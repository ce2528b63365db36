#include "deck/notation_findings.h"

#include <string>

#include "deck/messages.h"
#include "deck/text_encoding.h"
#include "pronunciation/notation.h"

namespace pelmo::deck {

void AddNotationFindings(std::string_view notation, size_t line, size_t firstColumn, bool cp932,
                         const FindingSink& sink) {
  static const GlyphTable table;
  const std::string normalised = NormalizeNotation(notation);
  auto shown = [&](size_t position, size_t length) {
    const std::string_view bytes = notation.substr(position, length);
    return cp932 ? Cp932ToUtf8(bytes) : SanitizeUtf8(bytes);
  };
  auto add = [&](size_t position, size_t length, const char* code, std::string message) {
    Finding f;
    f.severity = Severity::kWarning;
    f.code = code;
    f.line = line;
    f.column = firstColumn + position;
    f.text = shown(position, length);
    f.message = Quoted(f.text) + " " + message;
    sink(std::move(f));
  };
  // Stray characters are reported a run at a time: one full-width word is one finding.
  size_t strayStart = 0;
  size_t strayEnd = 0;
  auto flushStray = [&] {
    if (strayEnd > strayStart) {
      add(strayStart, strayEnd - strayStart, "stray-character",
          "draws nothing: no token starts with it");
    }
    strayStart = strayEnd = 0;
  };
  ScanNotation(normalised, table, [&](const NotationPiece& piece) {
    using Kind = NotationPiece::Kind;
    if (piece.kind == Kind::kSkipped && normalised[piece.position] != ' ') {
      if (strayEnd != piece.position) {
        flushStray();
        strayStart = piece.position;
      }
      strayEnd = piece.position + piece.length;
      return;
    }
    flushStray();
    if (piece.kind == Kind::kToken && !piece.id) {
      add(piece.position, piece.length, "unknown-token",
          "draws nothing: the glyph table has no such token");
    } else if (piece.kind == Kind::kBracketedKey && !piece.id) {
      add(piece.position, piece.length, "unknown-key",
          "draws nothing: the glyph table has no such key");
    } else if (piece.kind == Kind::kUnmatchedBracket) {
      add(piece.position, piece.length, "unmatched-bracket",
          "has no \xE2\x80\x9C]\xE2\x80\x9D after it: it draws nothing and what follows is read "
          "as if it were not there");
    }
  });
  flushStray();
}

void AddNotationFindings(std::string_view notation, size_t line, size_t firstColumn, bool cp932,
                         std::vector<Finding>& findings) {
  AddNotationFindings(notation, line, firstColumn, cp932,
                      [&](Finding&& f) { findings.push_back(std::move(f)); });
}

}  // namespace pelmo::deck
