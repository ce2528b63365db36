// The worked examples. The scanner's edge cases (token limits, brackets, two-byte characters,
// folding) are seeds of the notation fuzz target, which replays them against a reading of the
// rules one byte at a time.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pronunciation/glyph_table.h"
#include "pronunciation/notation.h"

namespace pelmo {
namespace {

using Kind = NotationPiece::Kind;

TEST(ScanNotation, DrawsTheWorkedExamples) {
  const GlyphTable table;
  const struct {
    std::string notation;
    std::vector<GlyphId> ids;
  } cases[] = {
      {"ka0!t", {117, 301, 126}},
      {"Ka0!t", {117, 301, 126}},
      {"s1i0:p", {339, 321, 327, 122}},
      {"[ae!]nd", {310, 120, 110}},
      {"aend", {107, 111, 120, 110}},
      {"ng", {120, 113}},
      {"[ng]", {338}},
      {"(r)", {350, 124, 351}},
      {"<r>", {350, 124, 351}},
      {"ka5t", {117, 126}},
      {"k a t", {117, 107, 126}},
      {"(1)", {351}},
      {"a!!", {302}},
      {"e1!!!!a", {107}},
      {"[AE]\202A[x", {309, 130}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScanNotation(NormalizeNotation(c.notation), table), c.ids) << c.notation;
  }
}

TEST(ScanNotation, PiecesTellWhereEachTokenStandsAndWhetherItDraws) {
  const GlyphTable table;
  const std::string text = "ka5 [ng]!\202][q";
  const struct {
    Kind kind;
    size_t position, length;
    std::string key;
    std::optional<GlyphId> id;
  } expected[] = {
      {Kind::kToken, 0, 1, "k", 117},
      {Kind::kToken, 1, 2, "a5", std::nullopt},
      {Kind::kSkipped, 3, 1, "", std::nullopt},
      {Kind::kBracketedKey, 4, 4, "ng", 338},
      {Kind::kSkipped, 8, 1, "", std::nullopt},
      {Kind::kSkipped, 9, 2, "", std::nullopt},
      {Kind::kUnmatchedBracket, 11, 1, "", std::nullopt},
      {Kind::kToken, 12, 1, "q", 123},
  };
  size_t i = 0;
  ScanNotation(text, table, [&](const NotationPiece& p) {
    ASSERT_LT(i, std::size(expected));
    const auto& e = expected[i++];
    EXPECT_TRUE(p.kind == e.kind && p.position == e.position && p.length == e.length &&
                p.key == e.key && p.id == e.id)
        << "piece " << i - 1;
  });
  EXPECT_EQ(i, std::size(expected));
}

}  // namespace
}  // namespace pelmo
