#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "deck/png.h"

namespace pelmo::deck {
namespace {

TEST(Checksums, MatchTheirPublishedCheckValues) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32("IEND"), 0xAE426082u);
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
  EXPECT_EQ(Adler32(""), 1u);
}

uint32_t U32(const std::string& d, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(d[at])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(d[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(d[at + 2])) << 8 |
         static_cast<unsigned char>(d[at + 3]);
}

struct Decoded {
  uint32_t width = 0;
  uint32_t height = 0;
  std::string header;  // the five bytes after width and height
  std::string raw;     // the inflated image data
  int blocks = 0;
  std::vector<std::string> chunkTypes;
};

// Walks the chunks, checking each CRC, and inflates the stored blocks the writer uses.
void Decode(const std::string& png, Decoded& out) {
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
  std::string idat;
  for (size_t at = 8; at < png.size();) {
    ASSERT_LE(at + 12, png.size());
    const uint32_t length = U32(png, at);
    ASSERT_LE(at + 12 + length, png.size());
    const std::string typed = png.substr(at + 4, 4 + length);
    ASSERT_EQ(U32(png, at + 8 + length), Crc32(typed)) << typed.substr(0, 4);
    out.chunkTypes.push_back(typed.substr(0, 4));
    if (typed.substr(0, 4) == "IHDR") {
      ASSERT_EQ(length, 13u);
      out.width = U32(typed, 4);
      out.height = U32(typed, 8);
      out.header = typed.substr(12);
    } else if (typed.substr(0, 4) == "IDAT") {
      idat += typed.substr(4);
    }
    at += 12 + length;
  }
  ASSERT_GE(idat.size(), 6u);
  const unsigned cmf = static_cast<unsigned char>(idat[0]);
  const unsigned flg = static_cast<unsigned char>(idat[1]);
  ASSERT_EQ(cmf & 0x0F, 8u);  // deflate
  ASSERT_EQ((cmf * 256 + flg) % 31, 0u);
  size_t at = 2;
  bool last = false;
  while (!last) {
    ASSERT_LE(at + 5, idat.size());
    const unsigned head = static_cast<unsigned char>(idat[at]);
    ASSERT_EQ(head >> 1, 0u) << "only stored blocks are expected";
    last = (head & 1) != 0;
    const unsigned len =
        static_cast<unsigned char>(idat[at + 1]) | static_cast<unsigned char>(idat[at + 2]) << 8;
    const unsigned nlen =
        static_cast<unsigned char>(idat[at + 3]) | static_cast<unsigned char>(idat[at + 4]) << 8;
    ASSERT_EQ(len ^ 0xFFFFu, nlen);
    ASSERT_LE(at + 5 + len, idat.size());
    out.raw += idat.substr(at + 5, len);
    ++out.blocks;
    at += 5 + len;
  }
  ASSERT_EQ(at + 4, idat.size());
  EXPECT_EQ(U32(idat, at), Adler32(out.raw));
}

GrayImage Pattern(int width, int height) {
  GrayImage image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.pixels.push_back(static_cast<uint8_t>((x * 7 + y * 13) & 0xFF));
    }
  }
  return image;
}

void ExpectRows(const Decoded& d, const GrayImage& image) {
  ASSERT_EQ(d.raw.size(), static_cast<size_t>(image.width + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const size_t row = static_cast<size_t>(y) * (image.width + 1);
    ASSERT_EQ(d.raw[row], '\0') << "filter of row " << y;
    for (int x = 0; x < image.width; ++x) {
      ASSERT_EQ(static_cast<unsigned char>(d.raw[row + 1 + x]), image.At(x, y)) << x << "," << y;
    }
  }
}

TEST(Png, WritesAGreyscaleImageThatInflatesToItsRows) {
  const GrayImage image = Pattern(34, 34);
  Decoded d;
  ASSERT_NO_FATAL_FAILURE(Decode(EncodePng(image), d));
  EXPECT_EQ(d.chunkTypes, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  EXPECT_EQ(d.width, 34u);
  EXPECT_EQ(d.height, 34u);
  EXPECT_EQ(d.header, std::string("\x08\x00\x00\x00\x00", 5));  // 8-bit grey, not interlaced
  EXPECT_EQ(d.blocks, 1);
  ExpectRows(d, image);
}

TEST(Png, SplitsLargeImagesIntoStoredBlocksOfAtMost65535Bytes) {
  const GrayImage image = Pattern(400, 340);  // 401 * 340 = 136340 bytes of rows
  Decoded d;
  ASSERT_NO_FATAL_FAILURE(Decode(EncodePng(image), d));
  EXPECT_EQ(d.blocks, 3);
  ExpectRows(d, image);
}

}  // namespace
}  // namespace pelmo::deck
