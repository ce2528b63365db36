// Any bytes as a bitmap resource: only well-formed ones load, and loading and masking one never
// reads or writes outside the resource and the image's own buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/check.h"
#include "ui/dib_image.h"
#include "ui/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so reading one byte past the resource is caught.
  std::vector<uint8_t> resource(data, data + size);
  pelmo::PackedDibLayout layout;
  const bool ok = pelmo::CheckPackedDib(resource.data(), resource.size(), &layout);
  pelmo::DibImage image;
  Check(image.Load(resource.data(), resource.size()) == ok && image.loaded == ok);
  if (!ok) {
    return 0;
  }
  uint32_t bits = 0;
  uint16_t bitCount = 0;
  std::memcpy(&bitCount, resource.data() + 14, 2);
  std::memcpy(&bits, resource.data() + 16, 4);
  const uint64_t rows =
      (static_cast<uint64_t>(layout.width) + 3) / 4 * 4 * static_cast<uint64_t>(layout.height);
  Check(!(bitCount != 8 || bits != 0 || layout.pixelBytes == 0 || rows > layout.pixelBytes ||
          pelmo::kDibPrefixBytes + layout.pixelBytes > size ||
          std::memcmp(image.pixels, resource.data() + pelmo::kDibPrefixBytes, layout.pixelBytes) !=
              0));
  // Mask with a colour taken from the palette, so some pixels really are transparent.
  const uint8_t* entry = resource.data() + 40 + 4 * (size % 256);
  const uint32_t key = entry[2] | entry[1] << 8 | entry[0] << 16;
  Check(image.SetTransparentColor(key));
  for (uint32_t i = 0; i < image.pixelBytes; ++i) {
    Check(image.mask[i] <= 1);
  }
  return 0;
}
