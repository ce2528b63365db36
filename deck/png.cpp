#include "deck/png.h"

#include <algorithm>
#include <array>

namespace pelmo::deck {

namespace {

void PutU32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16 & 0xFF);
  out += static_cast<char>(v >> 8 & 0xFF);
  out += static_cast<char>(v & 0xFF);
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
  PutU32(out, static_cast<uint32_t>(data.size()));
  std::string typed(type);
  typed += data;
  out += typed;
  PutU32(out, Crc32(typed));
}

// A zlib stream of stored deflate blocks, each at most 65535 bytes.
std::string StoredZlib(std::string_view raw) {
  std::string out = "\x78\x01";  // deflate, 32 KiB window, no dictionary; 0x7801 % 31 == 0
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(raw.size() - at, 0xFFFF);
    const bool last = at + n == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(~n & 0xFF);
    out += static_cast<char>(~n >> 8 & 0xFF);
    out.append(raw.substr(at, n));
    at += n;
  } while (at < raw.size());
  PutU32(out, Adler32(raw));
  return out;
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (const char ch : bytes) {
    c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(std::string_view bytes) {
  constexpr uint32_t kMod = 65521;
  uint32_t a = 1;
  uint32_t b = 0;
  for (const char ch : bytes) {
    a = (a + static_cast<unsigned char>(ch)) % kMod;
    b = (b + a) % kMod;
  }
  return b << 16 | a;
}

std::string EncodePng(const GrayImage& image) {
  std::string raw;
  raw.reserve((static_cast<size_t>(image.width) + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // filter type None
    const auto* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    raw.append(reinterpret_cast<const char*>(row), static_cast<size_t>(image.width));
  }
  std::string header;
  PutU32(header, static_cast<uint32_t>(image.width));
  PutU32(header, static_cast<uint32_t>(image.height));
  header += std::string("\x08\x00\x00\x00\x00", 5);  // 8 bits, greyscale, deflate, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace pelmo::deck
