#include "ui/dib_image.h"

#include <cstdlib>
#include <cstring>

namespace pelmo {

DibImage::~DibImage() {
  std::free(pixels);
  std::free(mask);
}

bool DibImage::Load(const void* data, size_t size) {
  PackedDibLayout layout;
  if (!CheckPackedDib(data, size, &layout)) {
    return false;
  }
  auto* copy = static_cast<uint8_t*>(std::malloc(layout.pixelBytes));
  if (copy == nullptr) {
    return false;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::memcpy(copy, bytes + kDibPrefixBytes, layout.pixelBytes);
  std::memcpy(imageHeader, bytes, kDibPrefixBytes);
  std::free(pixels);
  pixels = copy;
  pixelBytes = layout.pixelBytes;
  width = layout.width;
  height = layout.height;
  // The mask stays as it was: it keeps its own header, so it never reads past its buffer.
  loaded = true;
  return true;
}

bool DibImage::SetTransparentColor(uint32_t key) {
  if (!loaded) {
    return false;
  }
  auto* newMask = static_cast<uint8_t*>(std::malloc(pixelBytes));
  if (newMask == nullptr) {
    return false;
  }
  std::memcpy(maskHeader, imageHeader, kDibPrefixBytes);
  std::free(mask);
  mask = newMask;
  BuildTransparencyMask(imageHeader + kDibHeaderBytes, pixels, mask, pixelBytes, key);
  static const uint8_t kBlackThenWhite[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  std::memcpy(maskHeader + kDibHeaderBytes, kBlackThenWhite, sizeof kBlackThenWhite);
  hasMask = true;
  return true;
}

}  // namespace pelmo
