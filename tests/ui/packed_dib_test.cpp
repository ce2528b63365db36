#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "ui/dib_image.h"
#include "ui/packed_dib.h"

namespace pelmo {
namespace {

// A packed 8-bit bitmap: header, 256 palette entries, padded rows.
std::vector<uint8_t> Dib(int32_t width, int32_t height, uint16_t bits = 8,
                         uint32_t colorsUsed = 256, int64_t sizeImage = -1, size_t extra = 0) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) + 3) / 4 * 4;
  const uint32_t pixels = rowBytes * static_cast<uint32_t>(height < 0 ? -height : height);
  std::vector<uint8_t> b(1064 + pixels + extra);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  b[12] = 1;
  b[14] = static_cast<uint8_t>(bits);
  put32(20, sizeImage < 0 ? pixels : static_cast<uint32_t>(sizeImage));
  put32(32, colorsUsed);
  return b;
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(CheckPackedDib, AcceptsOnlyWellFormedEightBitBitmaps) {
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    bool ok;
  } cases[] = {
      {"227 x 34", Dib(227, 34), true},
      {"biClrUsed 0 means 256", Dib(5, 3, 8, 0), true},
      {"trailing bytes are fine", Dib(5, 3, 8, 256, -1, 7), true},
      {"24 bits per pixel", Dib(5, 3, 24), false},
      {"16 colours", Dib(5, 3, 8, 16), false},
      {"no biSizeImage", Dib(5, 3, 8, 256, 0), false},
      {"biSizeImage short of the padded rows", Dib(5, 3, 8, 256, 15), false},
      {"biSizeImage past the data", Dib(5, 3, 8, 256, 28), false},
      {"zero width", Dib(0, 3, 8, 256, 4), false},
      {"top-down", Dib(5, -3), false},
      {"header and palette only", Truncated(Dib(5, 3), 1064), false},
      {"one pixel byte short", Truncated(Dib(5, 3), 1064 + 23), false},
      {"shorter than a palette", std::vector<uint8_t>(100), false},
      {"nothing", {}, false},
  };
  for (const auto& c : cases) {
    PackedDibLayout layout;
    EXPECT_EQ(CheckPackedDib(c.bytes.data(), c.bytes.size(), &layout), c.ok) << c.what;
  }
  std::vector<uint8_t> compressed = Dib(5, 3);
  compressed[16] = 1;  // BI_RLE8
  EXPECT_FALSE(CheckPackedDib(compressed.data(), compressed.size(), nullptr));
  std::vector<uint8_t> otherHeader = Dib(5, 3);
  otherHeader[0] = 108;  // a V4 header
  EXPECT_FALSE(CheckPackedDib(otherHeader.data(), otherHeader.size(), nullptr));
}

TEST(CheckPackedDib, AHugeBiSizeImageDoesNotWrapAround) {
  std::vector<uint8_t> b = Dib(4, 1);
  const uint32_t huge = 0xFFFFFFF0u;
  std::memcpy(&b[20], &huge, 4);
  EXPECT_FALSE(CheckPackedDib(b.data(), b.size(), nullptr));
  std::vector<uint8_t> wide = Dib(4, 1);
  const uint32_t width = 0x7FFFFFFF;
  std::memcpy(&wide[4], &width, 4);
  EXPECT_FALSE(CheckPackedDib(wide.data(), wide.size(), nullptr));
}

TEST(DibImage, TransparencyMaskMarksEveryKeyEntryIncludingRowPadding) {
  std::vector<uint8_t> b = Dib(3, 2);
  uint8_t* palette = &b[40];
  palette[4 * 7 + 1] = 255;                          // entry 7: pure green
  palette[4 * 9 + 1] = 255;                          // entry 9: pure green too
  palette[4 * 5 + 2] = 200;                          // entry 5: red
  const uint8_t rows[8] = {7, 5, 9, 7, 5, 5, 9, 0};  // the 4th byte of each row is padding
  std::memcpy(&b[1064], rows, sizeof rows);
  DibImage image;
  ASSERT_TRUE(image.Load(b.data(), b.size()));
  ASSERT_TRUE(image.SetTransparentColor(0x00FF00));
  const uint8_t expected[8] = {1, 0, 1, 1, 0, 0, 1, 0};
  EXPECT_EQ(std::memcmp(image.mask, expected, 8), 0);
  EXPECT_EQ(image.imageHeader[40 + 4 * 7 + 1], 0);
  EXPECT_EQ(image.imageHeader[40 + 4 * 9 + 1], 0);
  EXPECT_EQ(image.imageHeader[40 + 4 * 5 + 2], 200);
  // The mask header copied the palette before blackening, then took black and white.
  EXPECT_EQ(image.maskHeader[40 + 4 * 7 + 1], 255);
  EXPECT_EQ(image.maskHeader[44] & image.maskHeader[45] & image.maskHeader[46], 255);
}

TEST(DibImage, RefusesToMaskOrLoadWhatIsNotThere) {
  DibImage image;
  EXPECT_FALSE(image.SetTransparentColor(0x00FF00));
  std::vector<uint8_t> bad = Dib(3, 2, 24);
  EXPECT_FALSE(image.Load(bad.data(), bad.size()));
  EXPECT_FALSE(image.loaded);
  EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
}  // namespace pelmo
