// Any bytes as a pronunciation: normalising folds exactly the A-Z that are not second bytes; the
// scan's pieces match a plain re-reading of the rules (brackets searched from every "[").
// As IPA: the notation written draws in full and, printed by `ipa`, reads back as itself without
// a warning; warnings come in column order and a refusal names a column of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "deck/findings.h"
#include "deck/ipa.h"
#include "deck/ipa_input.h"
#include "deck/notation_findings.h"
#include "deck/text_encoding.h"
#include "fuzz/check.h"
#include "pronunciation/glyph_table.h"
#include "pronunciation/notation.h"

namespace {

using pelmo::GlyphId;
using pelmo::GlyphTable;
using pelmo::NotationPiece;
using Kind = NotationPiece::Kind;

bool Lead(unsigned char c) {
  return c >= 0x80;
}

struct Piece {
  Kind kind;
  size_t position;
  size_t length;
  std::string_view key;
  std::optional<GlyphId> id;

  bool operator==(const Piece&) const = default;
};

// The rules as written, one step per byte, no shortcuts.
std::vector<Piece> Reference(std::string_view t, const GlyphTable& table) {
  std::vector<Piece> out;
  size_t i = 0;
  while (i < t.size()) {
    const unsigned char c = t[i];
    if (Lead(c)) {
      out.push_back({Kind::kSkipped, i, i + 1 < t.size() ? 2u : 1u, {}, std::nullopt});
      i += 2;
    } else if ((c >= 'a' && c <= 'z') || c == '(' || c == ')' || c == '<' || c == '>' || c == ':' ||
               c == ';') {
      size_t j = i;
      while (j + 1 < t.size() && j + 1 - i < 5 &&
             ((t[j + 1] >= '0' && t[j + 1] <= '9') || t[j + 1] == '!')) {
        ++j;
      }
      const std::string_view token = t.substr(i, j + 1 - i);
      out.push_back({Kind::kToken, i, token.size(), token, table.Find(token)});
      i = j + 1;
    } else if (c == '[') {
      size_t k = i + 1;
      while (k < t.size() && t[k] != ']') {
        k += Lead(t[k]) ? 2 : 1;
      }
      if (k >= t.size()) {
        out.push_back({Kind::kUnmatchedBracket, i, 1, {}, std::nullopt});
        i += 1;
      } else {
        const std::string_view key = t.substr(i + 1, k - i - 1);
        out.push_back({Kind::kBracketedKey, i, k + 1 - i, key, table.Find(key)});
        i = k + 1;
      }
    } else {
      out.push_back({Kind::kSkipped, i, 1, {}, std::nullopt});
      i += 1;
    }
  }
  return out;
}

bool OneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == std::string::npos;
}

void CheckIpa(std::string_view ipa) {
  size_t characters = 0;  // as the converter counts columns: an invalid byte is one
  for (size_t i = 0; i < ipa.size(); i += pelmo::deck::DecodeUtf8At(ipa, i).length) {
    ++characters;
  }
  std::string notation, error;
  std::vector<pelmo::deck::IpaSubstitution> substitutions;
  if (!pelmo::deck::IpaToNotation(ipa, notation, substitutions, error)) {
    const size_t column = std::strtoul(error.c_str() + std::strlen("column "), nullptr, 10);
    Check(error.rfind("column ", 0) == 0 && OneLine(error) && column >= 1 && column <= characters);
    return;
  }
  std::vector<pelmo::deck::Finding> findings;
  pelmo::deck::AddNotationFindings(notation, 0, 1, false, findings);
  Check(findings.empty());
  size_t last = 1;
  for (const pelmo::deck::IpaSubstitution& s : substitutions) {
    Check(s.column >= last && s.column <= characters && OneLine(DescribeSubstitution(s)));
    last = s.column;
  }
  std::string again;
  Check(pelmo::deck::IpaToNotation(pelmo::deck::NotationToIpa(notation), again, substitutions,
                                   error) &&
        again == notation && substitutions.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const GlyphTable table;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string normalised(input);
  for (size_t i = 0; i < size; i += Lead(data[i]) ? 2 : 1) {
    normalised[i] = static_cast<char>(data[i] + (data[i] >= 'A' && data[i] <= 'Z' ? 32 : 0));
  }
  Check(pelmo::NormalizeNotation(input) == normalised);

  // Raw, unnormalised bytes are a text too; each is scanned from a heap block of exactly its
  // size, so a read past the end trips ASan.
  for (const std::string& text : {normalised, std::string(input)}) {
    const std::unique_ptr<char[]> copy(new char[size]);
    std::memcpy(copy.get(), text.data(), size);
    const std::string_view exact(copy.get(), size);
    std::vector<Piece> pieces;
    std::vector<GlyphId> ids;
    pelmo::ScanNotation(exact, table, [&](const NotationPiece& p) {
      pieces.push_back({p.kind, p.position, p.length, p.key, p.id});
      if (p.id) {
        ids.push_back(*p.id);
      }
    });
    Check(pieces == Reference(exact, table) && ids == pelmo::ScanNotation(exact, table));
  }
  CheckIpa(input);
  return 0;
}
