// The worked examples. The scanner's edge cases (token limits, brackets, two-byte characters,
// folding) and where each piece stands are seeds of the notation fuzz target, which replays them
// against a reading of the rules one byte at a time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pronunciation/glyph_table.h"
#include "pronunciation/notation.h"

namespace pelmo {
namespace {

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

}  // namespace
}  // namespace pelmo
