#include "ui/packed_dib.h"

#include <cstring>

namespace pelmo {

namespace {

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

bool CheckPackedDib(const void* data, size_t size, PackedDibLayout* layout) {
  if (data == nullptr || size < kDibPrefixBytes) {
    return false;
  }
  const auto* b = static_cast<const uint8_t*>(data);
  const uint32_t headerSize = U32(b);
  const int32_t width = static_cast<int32_t>(U32(b + 4));
  const int32_t height = static_cast<int32_t>(U32(b + 8));
  const uint16_t bitCount = U16(b + 14);
  const uint32_t compression = U32(b + 16);
  const uint32_t sizeImage = U32(b + 20);
  const uint32_t colorsUsed = U32(b + 32);
  // Only bottom-up bitmaps of real size: the panels always draw the whole source rectangle.
  if (headerSize != kDibHeaderBytes || bitCount != 8 || compression != 0 ||
      (colorsUsed != 0 && colorsUsed != 256) || sizeImage == 0 || width <= 0 || height <= 0) {
    return false;
  }
  const uint64_t rowBytes = (static_cast<uint64_t>(width) + 3) / 4 * 4;
  if (rowBytes * static_cast<uint64_t>(height) > sizeImage || sizeImage > size - kDibPrefixBytes) {
    return false;
  }
  if (layout != nullptr) {
    layout->width = width;
    layout->height = height;
    layout->pixelBytes = sizeImage;
  }
  return true;
}

void BuildTransparencyMask(uint8_t* palette, const uint8_t* pixels, uint8_t* mask,
                           size_t pixelBytes, uint32_t key) {
  // One flag per palette index instead of searching a list of key indices for every byte.
  uint8_t isKey[256] = {};
  for (int i = 0; i < 256; ++i) {
    uint8_t* entry = palette + 4 * i;
    const uint32_t color = static_cast<uint32_t>(entry[2]) | static_cast<uint32_t>(entry[1]) << 8 |
                           static_cast<uint32_t>(entry[0]) << 16;
    if (color == key) {
      entry[0] = entry[1] = entry[2] = 0;
      isKey[i] = 1;
    }
  }
  for (size_t i = 0; i < pixelBytes; ++i) {
    mask[i] = isKey[pixels[i]];
  }
}

}  // namespace pelmo
