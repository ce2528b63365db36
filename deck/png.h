#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo::deck {

// Eight-bit grey pixels, rows from the top: 0 black, 255 white.
struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A PNG file of an 8-bit greyscale image. The image data is deflate-compressed with stored
// blocks only: the pictures are small, and this needs no compression library.
std::string EncodePng(const GrayImage& image);

// The checksums PNG uses: CRC-32 over each chunk, Adler-32 over the zlib stream's data.
uint32_t Crc32(std::string_view bytes);
uint32_t Adler32(std::string_view bytes);

}  // namespace pelmo::deck
