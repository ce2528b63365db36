#include <gtest/gtest.h>

#include <array>

#include "app/layout.h"

namespace pelmo {
namespace {

// The rectangles at sizes where the rule's details show. 600 x 400 and 1000 x 700 are ordinary
// windows (at 1000 the fields start at 210 only because the 0.21 fraction is one unit in the last
// place above its nearest single); 0 x 0 is a minimised window. The others are where a small fault
// first moves an edge: at 180 wide, 0.65 of the width falls just short of a whole number, and the
// large sizes are where a change in the low bits of a fraction first carries a product across an
// integer. Together they catch every fault of these kinds that moves an edge at any 16-bit size:
// one bit of a fraction changed, a single-precision rounding added or dropped, a value off by one
// or taken from another fraction. (Most fractions lie just above their decimal; raising one of
// those by a few units in the last place moves nothing below 65,536, and no size can show it.)
const struct {
  unsigned width;
  unsigned height;
  MainLayout expected;  // prevButton, nextButton, counterLabel, shuffleBox, hideWordBox, wordField,
                        // hidePronunciationBox, pronunciationField, hideMeaningBox, meaningField,
                        // banner, each {left, top, right, bottom}
} kLayouts[] = {
    // clang-format off
    {0, 0, {}},  // minimised: every rectangle empty
    {600, 400, {{5, 3, 59, 396}, {540, 3, 594, 396},
                {120, 11, 300, 31}, {360, 11, 540, 31},
                {90, 60, 120, 80}, {126, 60, 516, 88},
                {90, 108, 120, 128}, {126, 108, 516, 148},
                {90, 168, 120, 188}, {126, 168, 516, 328},
                {269, 340, 509, 380}}},
    {1000, 700, {{9, 6, 99, 693}, {900, 6, 990, 693},
                 {200, 20, 500, 55}, {600, 20, 900, 55},
                 {150, 105, 200, 140}, {210, 105, 860, 154},
                 {150, 189, 200, 224}, {210, 189, 860, 259},
                 {150, 294, 200, 329}, {210, 294, 860, 574},
                 {449, 595, 849, 665}}},
    {180, 42001, {{1, 420, 17, 41580}, {162, 420, 178, 41580},
                  {36, 1260, 90, 3360}, {108, 1260, 162, 3360},
                  {27, 6300, 36, 8400}, {37, 6300, 153, 9240},
                  {27, 11340, 36, 13440}, {37, 11340, 153, 15540},
                  {27, 17640, 36, 19740}, {37, 17640, 153, 34440},
                  {80, 35700, 152, 39900}}},
    {0, 41867, {{0, 418, 0, 41448}, {0, 418, 0, 41448},
                {0, 1256, 0, 3349}, {0, 1256, 0, 3349},
                {0, 6280, 0, 8373}, {0, 6280, 0, 9210},
                {0, 11304, 0, 13397}, {0, 11304, 0, 15490},
                {0, 17584, 0, 19677}, {0, 17584, 0, 34330},
                {0, 35586, 0, 39772}}},
    {52419, 62414, {{524, 624, 5241, 61789}, {47177, 624, 51894, 61789},
                    {10483, 1872, 26208, 4992}, {31451, 1872, 47176, 4992},
                    {7862, 9362, 10482, 12482}, {11007, 9362, 45079, 13730},
                    {7862, 16851, 10482, 19971}, {11007, 16851, 45079, 23092},
                    {7862, 26213, 10482, 29333}, {11007, 26213, 45079, 51178},
                    {23588, 53051, 44555, 59292}}},
    {52133, 52269, {{521, 522, 5212, 51746}, {46920, 522, 51611, 51746},
                    {10426, 1568, 26065, 4181}, {31279, 1568, 46918, 4181},
                    {7819, 7840, 10425, 10453}, {10947, 7840, 44833, 11498},
                    {7819, 14112, 10425, 16725}, {10947, 14112, 44833, 19338},
                    {7819, 21952, 10425, 24565}, {10947, 21952, 44833, 42859},
                    {23459, 44428, 44312, 49654}}},
    {51789, 40137, {{517, 401, 5178, 39735}, {46610, 401, 51271, 39735},
                    {10357, 1204, 25893, 3210}, {31073, 1204, 46609, 3210},
                    {7768, 6020, 10357, 8026}, {10875, 6020, 44537, 8829},
                    {7768, 10836, 10357, 12842}, {10875, 10836, 44537, 14849},
                    {7768, 16857, 10357, 18863}, {10875, 16857, 44537, 32911},
                    {23305, 34116, 44020, 38129}}},
    // clang-format on
};

const struct {
  const char* name;
  Rect MainLayout::*rect;
} kControls[] = {
    {"prevButton", &MainLayout::prevButton},
    {"nextButton", &MainLayout::nextButton},
    {"counterLabel", &MainLayout::counterLabel},
    {"shuffleBox", &MainLayout::shuffleBox},
    {"hideWordBox", &MainLayout::hideWordBox},
    {"wordField", &MainLayout::wordField},
    {"hidePronunciationBox", &MainLayout::hidePronunciationBox},
    {"pronunciationField", &MainLayout::pronunciationField},
    {"hideMeaningBox", &MainLayout::hideMeaningBox},
    {"meaningField", &MainLayout::meaningField},
    {"banner", &MainLayout::banner},
};

std::array<int, 4> Edges(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

TEST(ComputeLayout, GivesTheseRectanglesAtSizesWhereEveryFractionAndRoundingShows) {
  for (const auto& c : kLayouts) {
    const MainLayout actual = ComputeLayout(c.width, c.height);
    for (const auto& control : kControls) {
      EXPECT_EQ(Edges(actual.*control.rect), Edges(c.expected.*control.rect))
          << control.name << " at " << c.width << " x " << c.height;
    }
  }
}

}  // namespace
}  // namespace pelmo
