#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "deck/ipa.h"
#include "deck/png.h"
#include "deck/render.h"

namespace pelmo::deck {
namespace {

// Folded, scanned, and what draws nothing left out: only the "[" of "[x", only ")" of "(1)".
TEST(Ipa, WritesWhatTheViewDrawsOfANotation) {
  EXPECT_EQ(NotationToIpa("Me0!g1e2 aend[ng]ng ka5t (1)<;>[x"), "me\u0301ʒɚaendŋngkt)(ː)x");
}

uint32_t U32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = at; i < at + 4; ++i) {
    v = v << 8 | static_cast<unsigned char>(bytes.at(i));
  }
  return v;
}

// A reader for what the writer promises: an 8-bit greyscale PNG whose chunks carry their CRC,
// and a zlib stream of stored blocks. "WIDTH x HEIGHT: block sizes", and the rows in `raw`.
std::string DecodePng(const std::string& png, std::string& raw) {
  std::map<std::string, std::string> chunks;
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  for (size_t at = 8; at < png.size(); at += 12 + U32(png, at)) {
    const std::string typed = png.substr(at + 4, 4 + U32(png, at));
    EXPECT_EQ(U32(png, at + 4 + typed.size()), Crc32(typed));
    chunks[typed.substr(0, 4)] += typed.substr(4);
  }
  const std::string& z = chunks["IDAT"];
  EXPECT_EQ(chunks["IHDR"].substr(8), std::string("\x08\0\0\0\0", 5));  // 8-bit grey, no interlace
  EXPECT_EQ(chunks.size(), 3u);                                         // and IEND
  EXPECT_EQ(z.substr(0, 2), "\x78\x01");  // deflate, 32 KiB window, a multiple of 31
  std::string out =
      std::to_string(U32(chunks["IHDR"], 0)) + " x " + std::to_string(U32(chunks["IHDR"], 4)) + ":";
  size_t at = 2;
  for (bool last = false; !last; at += 5) {
    last = z.at(at) == 1;
    EXPECT_EQ(z.at(at) & ~1, 0);            // stored
    const uint32_t sizes = U32(z, at + 1);  // LEN and its complement, each low byte first
    const size_t length = (sizes >> 24) | (sizes >> 8 & 0xFF00);
    EXPECT_EQ(length ^ 0xFFFF, (sizes >> 8 & 0xFF) | (sizes << 8 & 0xFF00));
    raw += z.substr(at + 5, length);
    out += " " + std::to_string(length);
    at += length;
  }
  EXPECT_EQ(U32(z, at), Adler32(raw));
  EXPECT_EQ(at + 4, z.size());
  return out;
}

TEST(Render, DrawsTheGlyphsEdgeToEdgeAsTheViewDoesAndScalesEachPixel) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the published check values
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
  EXPECT_EQ(Adler32(std::string(5000, '\xFF')), 0x54B27596u);  // past the modulus
  // A black border round white, the glyphs' art from column 6 of row 1; upper case folded, and
  // "a5", spaces and "]" draw nothing.
  const std::tuple<const char*, std::vector<std::string>, int, const char*> kCases[] = {
      {"KA5T", {"117-k", "126-t"}, 1, "34 x 34: 1190"},
      {"s1i0:p", {"339-esh", "321-i", "327-length-mark", "122-p"}, 3, "147 x 102: 15096"},
      {"1 2 ]", {}, 2, "24 x 68: 1700"},
      {"a0a0", {"300-a", "300-a"}, 16, "544 x 544: 65535 65535 65535 65535 34340"}};
  for (const auto& [notation, glyphs, scale, size] : kCases) {
    std::vector<std::string> canvas(34, "#.....");
    for (const std::string& glyph : glyphs) {  // the text art the viewer's bitmaps are made from
      std::ifstream art(std::string(PELMO_GLYPH_SOURCE_DIR) + "/" + glyph + ".txt");
      for (std::string line, *row = &canvas[1]; std::getline(art, line); ++row) {
        *row += line.substr(0, line.find('\r'));
      }
    }
    canvas[0] = canvas[33] = std::string(canvas[1].size() + 6, '#');
    std::string expected;
    for (int y = 0; y < 34 * scale; ++y) {
      expected += '\0';  // filter type None
      const std::string row = y / scale % 33 ? canvas[y / scale] + ".....#" : canvas[y / scale];
      for (size_t x = 0; x < row.size() * scale; ++x) {
        expected += row[x / scale] == '#' ? '\0' : '\xFF';
      }
    }
    GrayImage image;
    std::string error;
    std::string raw;
    ASSERT_TRUE(RenderNotation(notation, scale, image, error)) << error;
    EXPECT_EQ(DecodePng(EncodePng(image), raw), size);
    EXPECT_TRUE(raw == expected) << notation;
  }
}

TEST(Render, RefusesABadScaleOrAPictureTooWide) {
  GrayImage image;
  std::string error;
  EXPECT_TRUE(!RenderNotation("a", 0, image, error) && !RenderNotation("a", 17, image, error));
  EXPECT_EQ(error, "the scale must be a whole number from 1 to 16");
  // m is 17 pixels wide: 3854 of them make 12 + 65518 = 65530 pixels, one more 65547.
  EXPECT_TRUE(RenderNotation(std::string(3854, 'm'), 1, image, error) &&
              RenderNotation("a", 16, image, error));
  EXPECT_FALSE(RenderNotation(std::string(3855, 'm'), 1, image, error));
  EXPECT_EQ(error, "the picture would be 65547 pixels wide; the limit is 65535");
  EXPECT_FALSE(RenderNotation(std::string(300, 'm'), 16, image, error));  // 5112 pixels unscaled
  EXPECT_EQ(error, "the picture would be 81792 pixels wide; the limit is 65535");
}

}  // namespace
}  // namespace pelmo::deck
