#include "deck/ipa_input.h"

#include <map>
#include <optional>

#include "deck/ipa.h"
#include "deck/text_encoding.h"
#include "pronunciation/glyph_table.h"

namespace pelmo::deck {

namespace {

constexpr GlyphId kFirstPhoneticGlyph = 300;  // below it, the plain letters

// The nearest symbols pelmo has; "" leaves the symbol out. Every use is reported.
const std::vector<IpaNeighbour> kNeighbours = {
    {"\u028A", "u"},        // ʊ  book
    {"\u025B", "e"},        // ɛ  bed
    {"\u025C", "\u0259"},   // ɜ  bird, British
    {"\u025D", "\u025A"},   // ɝ  bird, American
    {"\u0252", "\u0254"},   // ɒ  hot, British
    {"\u0250", "\u028C"},   // ɐ
    {"\u0258", "\u0259"},   // ɘ
    {"\u0268", "\u026A"},   // ɨ
    {"\u1D7B", "\u026A"},   // ᵻ  roses
    {"\u0289", "u"},        // ʉ
    {"\u1D7F", "u"},        // ᵿ
    {"\u0279", "r"},        // ɹ
    {"\u027B", "r"},        // ɻ
    {"\u027E", "t"},        // ɾ  the flap of American "water"
    {"\u0261", "g"},        // ɡ  the IPA letter g
    {"\u026B", "l"},        // ɫ
    {"\u028D", "w"},        // ʍ
    {"\u0271", "m"},        // ɱ
    {"\u02A7", "t\u0283"},  // ʧ
    {"\u02A4", "d\u0292"},  // ʤ
    {"\u02A6", "ts"},       // ʦ
    {"\u02D1", "\u02D0"},   // ˑ  half long
    {"\u0329", ""},         // syllabic, as in "button" /ˈbʌtn̩/
    {"\u0303", ""},         // nasalised, as in "croissant"
    {"\u02B0", ""},         // aspirated
};

// Vowels with their accent in one character, as some dictionaries print them.
struct Precomposed {
  char32_t symbol;
  char32_t vowel;
  char32_t accent;
};
constexpr char32_t kAcute = U'\u0301';  // what `ipa` writes after a stressed vowel
constexpr char32_t kGrave = U'\u0300';
constexpr Precomposed kPrecomposed[] = {
    {U'\u00E1', U'a', kAcute}, {U'\u00E0', U'a', kGrave},      {U'\u00E9', U'e', kAcute},
    {U'\u00E8', U'e', kGrave}, {U'\u00ED', U'i', kAcute},      {U'\u00EC', U'i', kGrave},
    {U'\u00F3', U'o', kAcute}, {U'\u00F2', U'o', kGrave},      {U'\u00FA', U'u', kAcute},
    {U'\u00F9', U'u', kGrave}, {U'\u01FD', U'\u00E6', kAcute},
};

constexpr char32_t kPrimary = U'\u02C8';    // ˈ
constexpr char32_t kSecondary = U'\u02CC';  // ˌ

// A symbol pelmo draws: its key, and for a vowel the stress it takes. Two-letter keys need
// brackets, and a vowel's stress marks go inside them: "[ae!]".
struct Piece {
  std::string key;
  bool vowel = false;
  const char* stress = "";
  GlyphId id = 0;
};

// Each symbol pelmo draws, as `ipa` prints it, with the key that draws it: taken from the glyph
// table and `ipa` itself, so the two directions cannot disagree. A vowel is a key with a stress
// form; of a letter and a phonetic vowel that print alike ("a" and "a0"), the vowel is meant.
const std::map<std::string, Piece>& DrawnSymbols() {
  static const std::map<std::string, Piece> symbols = [] {
    const GlyphTable table;
    std::map<std::string, Piece> drawn;
    for (const GlyphEntry& e : GlyphTable::Entries()) {
      const std::string key(e.token);
      if (key.find('!') != std::string::npos) {
        continue;  // the stress forms
      }
      const Piece piece{key, table.Find(key + "!").has_value(), "", e.id};
      const auto [at, added] = drawn.emplace(GlyphIpa(e.id).value_or(""), piece);
      if (!added && at->second.id < kFirstPhoneticGlyph && e.id >= kFirstPhoneticGlyph) {
        at->second = piece;
      }
    }
    return drawn;
  }();
  return symbols;
}

std::optional<Piece> Draws(char32_t c) {
  std::string symbol;
  AppendUtf8(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c, symbol);
  const auto found = DrawnSymbols().find(symbol);
  if (found == DrawnSymbols().end()) {
    return std::nullopt;
  }
  return found->second;
}

// Left out without a word: they only frame or divide the transcription.
bool Framing(char32_t c) {
  return c == '/' || c == '[' || c == ']' || c == '.' || c == ' ' || c == '-' || c == '|' ||
         c == U'\u0361' || c == U'\u035C' || c == U'\u203F' || c == U'\u2016';
}

std::string Column(size_t column) {
  return "column " + std::to_string(column) + ": ";
}

}  // namespace

const std::vector<IpaNeighbour>& IpaNeighbours() {
  return kNeighbours;
}

std::string DescribeSubstitution(const IpaSubstitution& s) {
  return Quoted(s.from) + (s.to.empty() ? " is left out" : " is drawn as " + Quoted(s.to)) +
         ": pelmo has no glyph for it";
}

bool IpaToNotation(std::string_view ipa, std::string& notation,
                   std::vector<IpaSubstitution>& substitutions, std::string& error) {
  substitutions.clear();
  return IpaToNotation(
      ipa, notation, [&](const IpaSubstitution& s) { substitutions.push_back(s); }, error);
}

bool IpaToNotation(std::string_view ipa, std::string& notation,
                   const IpaSubstitutionSink& onSubstitution, std::string& error) {
  notation.clear();
  // Only the last piece drawn can still change (an accent after it stresses it): each one before
  // it is written out at once, so that a long pronunciation costs no memory per piece.
  std::string written;
  std::optional<Piece> last;
  auto write = [&](const Piece& p) {
    // Two-letter keys are read as one only in brackets.
    const bool bracketed = p.key.size() == 2 && p.key[1] >= 'a';
    written += (bracketed ? "[" : "") + p.key + p.stress + (bracketed ? "]" : "");
  };
  const char* pending = nullptr;  // a stress mark waiting for its vowel
  size_t pendingColumn = 0;
  auto draw = [&](Piece piece) {
    if (piece.vowel && pending) {
      piece.stress = pending;
      pending = nullptr;
    }
    if (last) {
      write(*last);
    }
    last = std::move(piece);
  };
  size_t column = 0;
  for (size_t i = 0; i < ipa.size();) {
    const DecodedChar c = DecodeUtf8At(ipa, i);
    const std::string text(ipa.substr(i, c.length));
    i += c.length;
    ++column;
    if (!c.codePoint) {
      error = Column(column) + "a byte that is no UTF-8";
      return false;
    }
    char32_t cp = *c.codePoint;
    for (const Precomposed& p : kPrecomposed) {
      if (p.symbol == cp) {
        draw(*Draws(p.vowel));
        cp = p.accent;
      }
    }
    if (cp == kPrimary || cp == kSecondary || cp == '\'') {
      pending = cp == kSecondary ? "!!" : "!";
      pendingColumn = column;
    } else if (cp == kAcute || cp == kGrave) {
      if (!last || !last->vowel || *last->stress) {
        error = Column(column) + "a stress accent that follows no unstressed vowel";
        return false;
      }
      last->stress = cp == kAcute ? "!" : "!!";
    } else if (const std::optional<Piece> piece = Draws(cp)) {
      draw(*piece);
    } else if (!Framing(cp)) {
      const IpaNeighbour* neighbour = nullptr;
      for (const IpaNeighbour& n : kNeighbours) {
        neighbour = text == n.from ? &n : neighbour;
      }
      if (!neighbour) {
        error = Column(column) + Quoted(text) + " (" + CodePointName(cp) +
                ") has no glyph in pelmo, nor one near enough to stand for it";
        return false;
      }
      onSubstitution({column, text, neighbour->to});
      const std::string_view to = neighbour->to;
      for (size_t k = 0; k < to.size();) {
        const DecodedChar t = DecodeUtf8At(to, k);
        k += t.length;
        draw(*Draws(*t.codePoint));
      }
    }
  }
  if (pending) {
    onSubstitution({pendingColumn, pending[1] ? "\u02CC" : "\u02C8", ""});
  }
  if (last) {
    write(*last);
  }
  notation = std::move(written);
  return true;
}

}  // namespace pelmo::deck
