#include "deck/ipa_input.h"

#include <algorithm>
#include <map>
#include <optional>

#include "deck/decompositions.h"
#include "deck/ipa.h"
#include "deck/messages.h"
#include "deck/text_encoding.h"
#include "pronunciation/glyph_table.h"

namespace pelmo::deck {

namespace {

using Reason = IpaSubstitution::Reason;

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

constexpr char32_t kAcute = U'\u0301';  // what `ipa` writes after a stressed vowel
constexpr char32_t kGrave = U'\u0300';
constexpr char32_t kPrimary = U'\u02C8';    // ˈ
constexpr char32_t kSecondary = U'\u02CC';  // ˌ

// A stress mark, and where it stands.
struct StressMark {
  char32_t symbol;
  size_t column;

  const char* Stress() const { return symbol == kSecondary ? "!!" : "!"; }
};

// A symbol pelmo draws: its key, and whether it is a vowel that takes stress.
struct Symbol {
  std::string key;
  bool vowel;
};

// Each symbol pelmo draws, as `ipa` prints it, with the key that draws it: taken from the glyph
// table and `ipa` itself, so the two directions cannot disagree. A vowel is a key with a stress
// form. Of a plain letter and a phonetic symbol that print alike ("a" and "a0"), the phonetic
// one is meant: the input is IPA.
const std::map<std::string, Symbol>& DrawnSymbols() {
  static const std::map<std::string, Symbol> symbols = [] {
    const GlyphTable table;
    auto plainLetter = [](const std::string& key) {
      return key.size() == 1 && key[0] >= 'a' && key[0] <= 'z';
    };
    std::map<std::string, Symbol> drawn;
    for (const GlyphEntry& e : GlyphTable::Entries()) {
      const std::string key(e.token);
      if (key.find('!') != std::string::npos) {
        continue;  // the stress forms
      }
      const Symbol symbol{key, table.Find(key + "!").has_value()};
      const auto [at, added] = drawn.emplace(GlyphIpa(e.id).value_or(""), symbol);
      if (!added && plainLetter(at->second.key) && !plainLetter(key)) {
        at->second = symbol;
      }
    }
    return drawn;
  }();
  return symbols;
}

const Symbol* Draws(char32_t c) {
  std::string symbol;
  AppendUtf8(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c, symbol);
  const auto found = DrawnSymbols().find(symbol);
  return found == DrawnSymbols().end() ? nullptr : &found->second;
}

const IpaNeighbour* Neighbour(char32_t c) {
  for (const IpaNeighbour& n : kNeighbours) {
    if (DecodeUtf8At(n.from, 0).codePoint == c) {
      return &n;
    }
  }
  return nullptr;
}

// What one code point of the IPA is to the converter.
struct Reading {
  enum class Kind { kStressMark, kAccent, kTie, kDivider, kDrawn, kNeighbour, kUnknown };
  Kind kind;
  const Symbol* symbol = nullptr;           // for kDrawn
  const IpaNeighbour* neighbour = nullptr;  // for kNeighbour
};
using Kind = Reading::Kind;

Reading Classify(char32_t c) {
  if (c == kPrimary || c == kSecondary || c == '\'') {
    return {Kind::kStressMark};
  }
  if (c == kAcute || c == kGrave) {
    return {Kind::kAccent};
  }
  // Ties join the halves of one sound; the rest frame or divide the transcription, and end a
  // syllable.
  if (c == U'\u0361' || c == U'\u035C') {
    return {Kind::kTie};
  }
  if (c == '/' || c == '[' || c == ']' || c == '.' || c == ' ' || c == '-' || c == '|' ||
      c == U'\u203F' || c == U'\u2016') {
    return {Kind::kDivider};
  }
  if (const Symbol* symbol = Draws(c)) {
    return {Kind::kDrawn, symbol};
  }
  if (const IpaNeighbour* neighbour = Neighbour(c)) {
    return {Kind::kNeighbour, nullptr, neighbour};
  }
  return {Kind::kUnknown};
}

// The canonical decomposition of `c` when every part of it is something the converter reads
// (õ: o and the nasal tilde; ǽ: æ and the acute), else nothing: a character the converter cannot
// read whole is refused as itself, not for one of its parts.
std::u16string_view KnownParts(char32_t c) {
  const Decomposition* end = kDecompositions + kDecompositionCount;
  const Decomposition* it =
      std::lower_bound(kDecompositions, end, c,
                       [](const Decomposition& d, char32_t key) { return d.composed < key; });
  if (it == end || it->composed != c) {
    return {};
  }
  const std::u16string_view parts(it->parts, it->parts[2] ? 3 : it->parts[1] ? 2 : 1);
  const bool known = std::all_of(parts.begin(), parts.end(), [](char16_t part) {
    return Classify(part).kind != Kind::kUnknown;
  });
  return known ? parts : std::u16string_view();
}

std::string Column(size_t column) {
  return "column " + std::to_string(column) + ": ";
}

// A symbol as drawn: for a vowel, the stress it takes and the mark that gave it, if any.
struct Piece {
  const Symbol* symbol;
  const char* stress = "";
  std::optional<StressMark> mark = std::nullopt;
};

// Reads the IPA a character at a time into notation. Only the last piece drawn stays open, for
// an accent after it; a stress mark waits for a vowel of its syllable.
class Converter {
 public:
  // False with `error` set for a character pelmo cannot draw nor stand in for.
  bool Take(char32_t c, std::string_view text, size_t column, std::string& error);
  explicit Converter(const IpaSubstitutionSink& sink) : sink_(sink) {}

  // Ends the last syllable: the notation. Every substitution has gone to the sink.
  std::string Finish();

 private:
  bool TakeOne(char32_t c, std::string_view text, size_t column, std::string& error);
  bool Accent(char32_t accent, size_t column, std::string& error);
  void Draw(const Symbol& symbol);
  void Write(const Piece& piece);
  void Substitute(const IpaNeighbour& neighbour, std::string_view text, size_t column);
  void EndSyllable(Reason why);
  void LeaveOut(const StressMark& mark, Reason why);
  void Report(IpaSubstitution&& substitution);
  void Release();

  std::string notation_;
  std::optional<Piece> last_;
  std::optional<StressMark> pending_;  // waiting for a vowel of its syllable
  // A stress mark's fate is known only at the end of its syllable, or at an accent after its vowel;
  // what comes after it is held until then, so that reports stay in column order. A syllable
  // longer than any word holds only so many.
  static constexpr size_t kHeldAtMost = 64;
  const IpaSubstitutionSink& sink_;
  std::vector<IpaSubstitution> held_;
};

bool Converter::Take(char32_t c, std::string_view text, size_t column, std::string& error) {
  const std::u16string_view parts = KnownParts(c);
  if (parts.empty()) {
    return TakeOne(c, text, column, error);
  }
  for (const char16_t part : parts) {
    std::string partText;
    AppendUtf8(part, partText);
    if (!TakeOne(part, partText, column, error)) {
      return false;
    }
  }
  return true;
}

bool Converter::TakeOne(char32_t c, std::string_view text, size_t column, std::string& error) {
  const Reading reading = Classify(c);
  switch (reading.kind) {
    case Kind::kStressMark:
      EndSyllable(Reason::kSecondMark);
      pending_ = StressMark{c, column};
      return true;
    case Kind::kAccent:
      return Accent(c, column, error);
    case Kind::kTie:
      return true;
    case Kind::kDivider:
      EndSyllable(Reason::kNoVowel);
      return true;
    case Kind::kDrawn:
      Draw(*reading.symbol);
      return true;
    case Kind::kNeighbour:
      Substitute(*reading.neighbour, text, column);
      return true;
    case Kind::kUnknown:
      break;
  }
  error = Column(column) + Quoted(text) + " (" + CodePointName(c) +
          ") has no glyph in pelmo, nor one near enough to stand for it";
  return false;
}

// An accent after a vowel is its stress, and wins over a mark before it.
bool Converter::Accent(char32_t accent, size_t column, std::string& error) {
  Piece* vowel = last_ ? &*last_ : nullptr;
  if (!vowel || !vowel->symbol->vowel || (*vowel->stress && !vowel->mark)) {
    error = Column(column) + "a stress accent that follows no vowel pelmo can stress, or one " +
            "that has an accent already";
    return false;
  }
  if (vowel->mark) {
    LeaveOut(*vowel->mark, Reason::kAccentedVowel);
    vowel->mark.reset();
    Release();
  }
  vowel->stress = accent == kAcute ? "!" : "!!";
  return true;
}

void Converter::Draw(const Symbol& symbol) {
  if (last_) {
    Write(*last_);
    if (last_->mark) {
      Release();  // no accent can take its mark away now
    }
  }
  last_ = Piece{&symbol};
  if (symbol.vowel && pending_) {
    last_->stress = pending_->Stress();
    last_->mark = pending_;
    pending_.reset();
  }
}

void Converter::Write(const Piece& piece) {
  // Two-letter keys are read as one only in brackets, and a vowel's stress goes inside: "[ae!]".
  const std::string& key = piece.symbol->key;
  const bool bracketed = key.size() == 2 && key[1] >= 'a';
  notation_ += (bracketed ? "[" : "") + key + piece.stress + (bracketed ? "]" : "");
}

void Converter::Substitute(const IpaNeighbour& neighbour, std::string_view text, size_t column) {
  Report({column, std::string(text), neighbour.to});
  const std::string_view to = neighbour.to;
  for (size_t k = 0; k < to.size();) {
    const DecodedChar t = DecodeUtf8At(to, k);
    k += t.length;
    Draw(*Draws(*t.codePoint));
  }
}

void Converter::EndSyllable(Reason why) {
  if (pending_) {
    const StressMark mark = *pending_;
    pending_.reset();
    LeaveOut(mark, why);
    Release();
  }
}

void Converter::LeaveOut(const StressMark& mark, Reason why) {
  std::string symbol;
  AppendUtf8(mark.symbol, symbol);
  Report({mark.column, symbol, "", why});
}

void Converter::Report(IpaSubstitution&& substitution) {
  const bool undecided = pending_ || (last_ && last_->mark);
  if (undecided && held_.size() < kHeldAtMost) {
    held_.push_back(std::move(substitution));
  } else {
    sink_(substitution);
  }
}

void Converter::Release() {
  std::stable_sort(
      held_.begin(), held_.end(),
      [](const IpaSubstitution& a, const IpaSubstitution& b) { return a.column < b.column; });
  for (const IpaSubstitution& s : held_) {
    sink_(s);
  }
  held_.clear();
}

std::string Converter::Finish() {
  EndSyllable(Reason::kNoVowel);
  Release();
  if (last_) {
    Write(*last_);
  }
  return std::move(notation_);
}

}  // namespace

const std::vector<IpaNeighbour>& IpaNeighbours() {
  return kNeighbours;
}

std::string DescribeSubstitution(const IpaSubstitution& s) {
  // A combining mark alone would sit on the opening quote.
  const std::optional<char32_t> first =
      s.from.empty() ? std::nullopt : DecodeUtf8At(s.from, 0).codePoint;
  const bool mark = first && *first >= U'\u0300' && *first <= U'\u036F';
  const std::string shown = Quoted((mark ? "\u25CC" : "") + s.from);
  switch (s.reason) {
    case Reason::kNoGlyph:
      break;
    case Reason::kNoVowel:
      return shown + " is left out: no vowel pelmo can stress follows it in its syllable";
    case Reason::kSecondMark:
      return shown + " is left out: another stress mark follows it before any vowel";
    case Reason::kAccentedVowel:
      return shown + " is left out: the vowel after it carries an accent of its own";
  }
  return shown + (s.to.empty() ? " is left out" : " is drawn as " + Quoted(s.to)) +
         ": pelmo has no glyph for it";
}

bool IpaToNotation(std::string_view ipa, std::string& notation,
                   std::vector<IpaSubstitution>& substitutions, std::string& error) {
  substitutions.clear();
  const bool converted = IpaToNotation(
      ipa, notation, [&](const IpaSubstitution& s) { substitutions.push_back(s); }, error);
  if (!converted) {
    substitutions.clear();  // a refused text has no substitutions to tell of
    return false;
  }
  // Past the few held back, a mark left out can be told after what followed it in its syllable.
  std::stable_sort(
      substitutions.begin(), substitutions.end(),
      [](const IpaSubstitution& a, const IpaSubstitution& b) { return a.column < b.column; });
  return true;
}

bool IpaToNotation(std::string_view ipa, std::string& notation,
                   const IpaSubstitutionSink& onSubstitution, std::string& error) {
  notation.clear();
  Converter converter(onSubstitution);
  size_t column = 0;
  for (size_t i = 0; i < ipa.size();) {
    const DecodedChar c = DecodeUtf8At(ipa, i);
    const std::string_view text = ipa.substr(i, c.length);
    i += c.length;
    ++column;
    if (!c.codePoint) {
      error = Column(column) + "a byte that is no UTF-8";
      return false;
    }
    if (!converter.Take(*c.codePoint, text, column, error)) {
      return false;
    }
  }
  notation = converter.Finish();
  return true;
}

}  // namespace pelmo::deck
