#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "pronunciation/glyph_table.h"
#include "pronunciation/notation.h"

namespace pelmo {
namespace {

using namespace std::string_literals;
using Kind = NotationPiece::Kind;

// Bytes as C escapes, so that failures show two-byte characters and NULs.
std::string Escaped(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += ch;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return '"' + out + '"';
}

// A copy in a heap block of exactly the text's size: a std::string keeps a NUL and spare room
// after its bytes, which would hide a read one past the end from AddressSanitizer.
class ExactText {
 public:
  explicit ExactText(std::string_view text) : bytes_(new char[text.size()]), size_(text.size()) {
    std::copy(text.begin(), text.end(), bytes_.get());
  }
  std::string_view View() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<char[]> bytes_;
  size_t size_;
};

const GlyphTable& Table() {
  static const GlyphTable table;
  return table;
}

// Normalises and scans as the view does. Along the way checks that the pieces cover the text
// without gaps or overlap and that both forms of the scan draw the same ids.
std::vector<GlyphId> Draw(std::string_view notation) {
  const std::string normalised = NormalizeNotation(ExactText(notation).View());
  const ExactText text(normalised);
  std::vector<GlyphId> fromPieces;
  size_t covered = 0;
  ScanNotation(text.View(), Table(), [&](const NotationPiece& piece) {
    EXPECT_EQ(piece.position, covered) << "gap or overlap in " << Escaped(notation);
    EXPECT_GE(piece.length, 1u) << Escaped(notation);
    covered = piece.position + piece.length;
    if (piece.id) {
      fromPieces.push_back(*piece.id);
    }
  });
  EXPECT_EQ(covered, normalised.size()) << "pieces do not reach the end of " << Escaped(notation);
  const std::vector<GlyphId> ids = ScanNotation(text.View(), Table());
  EXPECT_EQ(ids, fromPieces) << Escaped(notation);
  return ids;
}

// High bytes are written in octal below (\202 is 0x82): a hex escape would swallow a following
// letter a to f.
struct DrawCase {
  std::string notation;
  std::vector<GlyphId> ids;
  const char* why;
};

void ExpectDrawn(const std::vector<DrawCase>& cases) {
  for (const DrawCase& c : cases) {
    EXPECT_EQ(Draw(c.notation), c.ids) << Escaped(c.notation) << ": " << c.why;
  }
}

TEST(ScanNotation, DrawsTheWorkedExamples) {
  ExpectDrawn({
      {"ka0!t", {117, 301, 126}, "k, a0!, t"},
      {"Ka0!t", {117, 301, 126}, "folded to ka0!t"},
      {"s1i0:p", {339, 321, 327, 122}, "s1, i0, :, p"},
      {"[ae!]nd", {310, 120, 110}, "[ae!], n, d"},
      {"aend", {107, 111, 120, 110}, "a, e, n, d"},
      {"ng", {120, 113}, "n, g"},
      {"[ng]", {338}, "[ng]"},
      {"(r)", {350, 124, 351}, "(, r, )"},
      {"<r>", {350, 124, 351}, "<, r, >"},
      {"ka5t", {117, 126}, "k, a5 (absent), t"},
      {"k a t", {117, 107, 126}, "spaces ignored"},
      {"(1)", {351}, "(1 (absent), )"},
  });
}

TEST(ScanNotation, DrawsPlainLettersAndStressedVowels) {
  ExpectDrawn({
      {"", {}, "an empty text draws nothing"},
      {"a", {107}, "a bare letter is the plain letter"},
      {"a0", {300}, "the phonetic a"},
      {"a!", {301}, "short form with acute"},
      {"a0!", {301}, "full form with acute"},
      {"a!!", {302}, "short form with grave"},
      {"a0!!", {302}, "full form with grave"},
      {"aaa", {107, 107, 107}, "an id may repeat"},
      {"i0:", {321, 327}, "a colon starts a token of its own"},
      {"a::;", {107, 327, 327, 327}, "so does each length mark"},
      {"((", {350, 350}, "a bracket takes no continuation but a digit or !"},
  });
}

TEST(ScanNotation, TokensStopAtFiveCharactersAndNeverBacktrack) {
  ExpectDrawn({
      {"e1!!!", {}, "one five-character token, absent"},
      {"e1!!!!", {}, "the sixth character is skipped alone"},
      {"e1!!!!a", {107}, "after the skipped sixth character scanning goes on"},
      {"a0!!!", {}, "not a0!! followed by a stray !"},
      {"a0!!!b", {108}, "the absent token is dropped whole"},
      {"a0000", {}, "four digits fill the token"},
      {"a00000a", {107}, "the fifth digit is stray"},
      {"a12", {}, "not a1 followed by a stray 2"},
      {"a3", {}, "no prefix match: a3 does not fall back to a"},
      {"s1!", {}, "consonants have no stress forms"},
      {"ae!", {107, 313}, "ae is reached only in brackets: a, then the stressed e"},
      {"k0", {}, "a letter with a digit it has no symbol for"},
  });
}

TEST(ScanNotation, StrayContinuationsAndOtherBytesDrawNothing) {
  ExpectDrawn({
      {"0a", {107}, "a digit at the start"},
      {"!a", {107}, "a mark at the start"},
      {"1a0", {300}, "a digit before a token"},
      {"a 0", {107}, "a digit after a space"},
      {"]a]", {107}, "a closing bracket on its own"},
      {"?@{`a", {107}, "punctuation and the neighbours of the letter ranges"},
      {"a\0b"s, {107, 108}, "a NUL is an ordinary byte"},
      {"\t\r\na", {107}, "control characters"},
  });
}

TEST(ScanNotation, FoldsUpperCaseFirstEvenInsideBrackets) {
  ExpectDrawn({
      {"A0!", {301}, "a folded full form"},
      {"Z", {132}, "the last capital"},
      {"[AE]", {309}, "a folded bracketed key"},
      {"[Ae!!]", {311}, "mixed case in brackets"},
      {"[NG]", {338}, "the eng"},
      {"S1", {339}, "a folded consonant"},
  });
}

TEST(ScanNotation, BracketsLookUpEverythingUpToTheNextCloseAsOneKey) {
  ExpectDrawn({
      {"[ae!]", {310}, "the stressed ash"},
      {"[a0!]", {301}, "any key may be bracketed"},
      {"[x]", {130}, "a bracketed letter"},
      {"[]", {}, "an empty key"},
      {"[]a", {107}, "scanning goes on after an empty key"},
      {"[ae]!", {309}, "a mark after the close is stray"},
      {"[[ng]", {}, "the key is [ng, absent"},
      {"[[ng]a", {107}, "scanning resumes after the close"},
      {"[ x]", {}, "a blank is part of the key"},
      {"[a][b]", {107, 108}, "two bracketed keys in a row"},
      {"[ae][ng]", {309, 338}, "a closed key does not stop the next one closing"},
      {"[ng]]", {338}, "a second close is stray"},
      {"[ae!!!]", {}, "no token length limit, but the key is absent"},
  });
}

TEST(ScanNotation, BracketWithoutCloseSkipsOnlyTheBracket) {
  ExpectDrawn({
      {"[x", {130}, "the letter after the bracket is drawn"},
      {"[", {}, "a bracket alone"},
      {"a[", {107}, "a bracket at the end"},
      {"[a0!", {301}, "a whole token after the bracket"},
      {"[ae", {107, 111}, "no bracketed key: the letters are read one by one"},
      {"[[x", {130}, "two open brackets"},
      {"x[y[z", {130, 131, 132}, "several unclosed brackets"},
      {"[a]b[c", {107, 108, 109}, "a closed key, then an unclosed one"},
  });
}

TEST(ScanNotation, TwoByteCharactersAreSkippedWholeAndNeverEndABracket) {
  ExpectDrawn({
      {"\202\240a", {107}, "a two-byte character before a letter"},
      {"a\202\240", {107}, "after a letter"},
      {"\202a", {}, "the letter is the second byte"},
      {"\202A", {}, "an upper-case second byte is neither folded nor drawn"},
      {"\202(r)", {124, 351}, "the open parenthesis is a second byte"},
      {"\202[x]", {130}, "the open bracket is a second byte; the close is stray"},
      {"\377\377a", {107}, "0xFF leads a pair too"},
      {"\200a", {}, "0x80 is the lowest lead byte"},
      {"\177a", {107}, "0x7F is a single byte"},
      {"a\202", {107}, "a lone lead byte at the end"},
      {"\202", {}, "a lone lead byte alone"},
      {"[\202]]", {}, "the first ] is a second byte; the key is absent"},
      {"[\202]]a", {107}, "scanning resumes after the real close"},
      {"[\202]x]", {}, "the key runs past the second byte to the next close"},
      {"[\202]", {}, "the only ] is a second byte: the bracket is unclosed"},
      {"[\202]a", {107}, "after the unclosed bracket the pair is skipped"},
      {"[x\202", {130}, "unclosed, ending in a lone lead byte"},
      {"[\202", {}, "a lone lead byte inside an unclosed bracket"},
      {"[a\202\240]", {}, "a two-byte character in the key makes it absent"},
  });
}

TEST(NormalizeNotation, FoldsOnlyAsciiCapitalsOutsideTwoByteCharacters) {
  struct Case {
    std::string text;
    std::string folded;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"Ka0!T", "ka0!t"},
      {"ABCXYZ", "abcxyz"},
      {"@[`{", "@[`{"},  // the bytes around A-Z and a-z stay
      {"abc019!:;()<>", "abc019!:;()<>"},
      {"\202A", "\202A"},  // a second byte in A-Z is not folded
      {"\202AA", "\202Aa"},
      {"\201\201A", "\201\201a"},  // a lead byte as a second byte does not lead
      {"\201\201\201A", "\201\201\201A"},
      {"A\202", "a\202"},  // a lone lead byte at the end
      {"\377ZZ", "\377Zz"},
      {"\177Z", "\177z"},
      {"A\0B"s, "a\0b"s},
      {"[AE!]", "[ae!]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalizeNotation(ExactText(c.text).View()), c.folded) << Escaped(c.text);
  }
}

// What a deck checker sees of one piece; the key is copied so that rows can be written out.
struct Piece {
  Kind kind;
  size_t position;
  size_t length;
  std::string key;
  std::optional<GlyphId> id;

  bool operator==(const Piece& o) const {
    return kind == o.kind && position == o.position && length == o.length && key == o.key &&
           id == o.id;
  }
};

std::ostream& operator<<(std::ostream& out, const Piece& p) {
  static const char* const kNames[] = {"token", "bracketed key", "unmatched [", "skipped"};
  out << kNames[static_cast<int>(p.kind)] << " at " << p.position << "+" << p.length << " key "
      << Escaped(p.key) << " id ";
  if (p.id) {
    return out << *p.id;
  }
  return out << "none";
}

std::vector<Piece> Pieces(std::string_view normalised) {
  const ExactText text(normalised);
  std::vector<Piece> pieces;
  ScanNotation(text.View(), Table(), [&](const NotationPiece& p) {
    pieces.push_back({p.kind, p.position, p.length, std::string(p.key), p.id});
  });
  return pieces;
}

TEST(ScanNotation, PiecesTellWhereEachTokenStandsAndWhetherItDraws) {
  struct Case {
    std::string text;
    std::vector<Piece> pieces;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"ka5 [ng]!\202][q",
       {
           {Kind::kToken, 0, 1, "k", 117},
           {Kind::kToken, 1, 2, "a5", std::nullopt},
           {Kind::kSkipped, 3, 1, "", std::nullopt},
           {Kind::kBracketedKey, 4, 4, "ng", 338},
           {Kind::kSkipped, 8, 1, "", std::nullopt},
           {Kind::kSkipped, 9, 2, "", std::nullopt},
           {Kind::kUnmatchedBracket, 11, 1, "", std::nullopt},
           {Kind::kToken, 12, 1, "q", 123},
       }},
      {"e1!!!!0",
       {
           {Kind::kToken, 0, 5, "e1!!!", std::nullopt},
           {Kind::kSkipped, 5, 1, "", std::nullopt},  // past the token limit
           {Kind::kSkipped, 6, 1, "", std::nullopt},  // a stray digit starts nothing
       }},
      {"[]x[\202]",
       {
           {Kind::kBracketedKey, 0, 2, "", std::nullopt},
           {Kind::kToken, 2, 1, "x", 130},
           {Kind::kUnmatchedBracket, 3, 1, "", std::nullopt},
           {Kind::kSkipped, 4, 2, "", std::nullopt},
       }},
      {"a\202",
       {
           {Kind::kToken, 0, 1, "a", 107},
           {Kind::kSkipped, 1, 1, "", std::nullopt},  // a lone lead byte covers only itself
       }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Pieces(c.text), c.pieces) << Escaped(c.text);
  }
}

}  // namespace
}  // namespace pelmo
