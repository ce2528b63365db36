// The platform-free part of the image panels and the banner, natively and under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "ui/banner_margin.h"
#include "ui/dib_image.h"

namespace pelmo {
namespace {

// A packed 8-bit bitmap (header, 256 palette entries, padded rows) of `extra` bytes more or less,
// with 32-bit values patched in at given offsets.
std::vector<uint8_t> Dib(uint32_t width, uint32_t height,
                         std::vector<std::pair<size_t, uint32_t>> patches = {}, int extra = 0) {
  const uint32_t pixels = (width + 3) / 4 * 4 * height;
  std::vector<uint8_t> b(static_cast<size_t>(1064 + pixels + extra));
  patches.insert(patches.begin(), {{0, 40},
                                   {4, width},
                                   {8, height},
                                   {12, 0x80001},
                                   {20, pixels},
                                   {32, 256}});  // planes 1, 8 bits; biSizeImage; biClrUsed
  for (const auto& [at, value] : patches) {
    std::memcpy(&b[at], &value, 4);
  }
  return b;
}

TEST(CheckPackedDib, AcceptsOnlyWellFormedEightBitBitmaps) {
  const std::tuple<const char*, std::vector<uint8_t>, bool> cases[] = {
      {"227 x 34", Dib(227, 34), true},
      {"biClrUsed 0 means 256", Dib(5, 3, {{32, 0}}), true},
      {"one pixel wide", Dib(1, 3), true},
      {"four wide, no padding", Dib(4, 2), true},
      {"trailing bytes are fine", Dib(5, 3, {}, 7), true},
      {"24 bits per pixel", Dib(5, 3, {{12, 0x180001}}), false},
      {"16 colours", Dib(5, 3, {{32, 16}}), false},
      {"no biSizeImage", Dib(5, 3, {{20, 0}}), false},
      {"biSizeImage short of the padded rows", Dib(5, 3, {{20, 23}}), false},
      {"biSizeImage past the data", Dib(5, 3, {{20, 28}}), false},
      {"biSizeImage so large the sum wraps", Dib(4, 1, {{20, 0xFFFFFFF0u}}), false},
      {"rows so wide their size wraps", Dib(4, 1, {{4, 0x7FFFFFFF}}), false},
      {"zero width", Dib(0, 3, {{20, 4}}, 4), false},
      {"top-down", Dib(5, 3, {{8, static_cast<uint32_t>(-3)}}), false},
      {"compressed (BI_RLE8)", Dib(5, 3, {{16, 1}}), false},
      {"a V4 header", Dib(5, 3, {{0, 108}}), false},
      {"header and palette only", Dib(5, 3, {}, -24), false},
      {"one pixel byte short", Dib(5, 3, {}, -1), false},
      {"shorter than a palette", std::vector<uint8_t>(100), false},
      {"nothing", {}, false}};
  for (const auto& [what, bytes, ok] : cases) {
    PackedDibLayout layout;
    EXPECT_EQ(CheckPackedDib(bytes.data(), bytes.size(), &layout), ok) << what;
  }
}

TEST(DibImage, TransparencyMaskMarksEveryKeyEntryIncludingRowPadding) {
  // Entries 7 and 9 pure green, 5 red; the 4th byte of each row is padding.
  std::vector<uint8_t> b = Dib(3, 2,
                               {{40 + 4 * 7, 0xFF00},
                                {40 + 4 * 9, 0xFF00},
                                {40 + 4 * 5, 0xC80000},
                                {1064, 0x07090507},
                                {1068, 0x00090505}});
  DibImage image;
  ASSERT_TRUE(image.Load(b.data(), b.size()));
  ASSERT_TRUE(image.SetTransparentColor(0x00FF00));
  const uint8_t expected[8] = {1, 0, 1, 1, 0, 0, 1, 0};
  EXPECT_EQ(std::memcmp(image.mask, expected, 8), 0);
  EXPECT_EQ(image.imageHeader[40 + 4 * 7 + 1] | image.imageHeader[40 + 4 * 9 + 1], 0);
  EXPECT_EQ(image.imageHeader[40 + 4 * 5 + 2], 200);
  // The mask header copied the palette before blackening, then took black and white.
  EXPECT_EQ(image.maskHeader[40 + 4 * 7 + 1], 255);
  EXPECT_EQ(image.maskHeader[40] | image.maskHeader[41] | image.maskHeader[42], 0);
  EXPECT_EQ(image.maskHeader[44] & image.maskHeader[45] & image.maskHeader[46], 255);
  // The key is a COLORREF, 0x00BBGGRR: red is entry 5.
  DibImage red;
  ASSERT_TRUE(red.Load(b.data(), b.size()) && red.SetTransparentColor(0x0000C8));
  const uint8_t redMask[8] = {0, 1, 0, 0, 1, 1, 0, 0};
  EXPECT_EQ(std::memcmp(red.mask, redMask, 8), 0);
}

TEST(RestMargin, IsATenthOfTheSmallerSideAndAtLeastOnePixel) {
  const std::tuple<int, int, int> cases[] = {
      {227, 34, -3}, {400, 50, -5}, {50, 400, -5}, {9, 300, -1}, {300, 9, -1},
      {10, 10, -1},  {19, 40, -1},  {20, 20, -2},  {0, 0, -1},   {65535, 65535, -6553}};
  for (const auto& [width, height, margin] : cases) {
    EXPECT_EQ(RestMarginFor(width, height), margin) << width << "x" << height;
  }
}

}  // namespace
}  // namespace pelmo
