#pragma once

#include <cstddef>
#include <cstdint>

namespace pelmo {

// An 8-bit, 256-colour packed bitmap as the resources hold it: a 40-byte header, 256 palette
// entries (blue, green, red, reserved), then the pixel rows.
inline constexpr size_t kDibHeaderBytes = 40;
inline constexpr size_t kDibPaletteBytes = 256 * 4;
inline constexpr size_t kDibPrefixBytes = kDibHeaderBytes + kDibPaletteBytes;  // 1064

struct PackedDibLayout {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t pixelBytes = 0;  // biSizeImage
};

// Checks that `size` bytes at `data` are such a bitmap before anything is copied from them: the
// header and palette, 8 bits per pixel, uncompressed, 0 or 256 colours used, and a biSizeImage
// that is non-zero, covers every padded row and lies inside the data. Anything else is refused.
bool CheckPackedDib(const void* data, size_t size, PackedDibLayout* layout);

// Makes `key` (0x00BBGGRR) transparent: every palette entry of that colour is blackened in
// `palette`, and `mask` gets 1 for each pixel byte (row padding included) whose index had that
// colour and 0 for every other.
void BuildTransparencyMask(uint8_t* palette, const uint8_t* pixels, uint8_t* mask,
                           size_t pixelBytes, uint32_t key);

}  // namespace pelmo
