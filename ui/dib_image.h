#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/packed_dib.h"

namespace pelmo {

// An 8-bit bitmap copied out of the resources, with an optional mask that makes one key colour
// transparent. Owns its two pixel buffers (malloc and free) and frees each exactly once.
struct DibImage {
  DibImage() = default;
  ~DibImage();
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;

  // Copies a checked packed bitmap; false (and nothing changed) for anything malformed.
  bool Load(const void* data, size_t size);
  // Blackens the key colour in the image's palette and builds the mask; false before a load.
  bool SetTransparentColor(uint32_t key);

  alignas(4) uint8_t imageHeader[kDibPrefixBytes] = {};
  alignas(4) uint8_t maskHeader[kDibPrefixBytes] = {};
  uint8_t* pixels = nullptr;
  uint32_t pixelBytes = 0;
  uint8_t* mask = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  bool loaded = false;
  bool hasMask = false;
};

}  // namespace pelmo
