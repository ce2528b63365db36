#include "deck/text_encoding.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "deck/cp932_data.h"

namespace pelmo::deck {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsTrailByte(unsigned char c) {
  return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

size_t LeadIndex(unsigned char c) {
  return c <= 0x9F ? c - 0x81u : c - 0xE0u + (0x9F - 0x81 + 1);
}

unsigned char Byte(std::string_view text, size_t position) {
  return static_cast<unsigned char>(text[position]);
}

// The first byte of a two-byte character as code page 932 really has them (the viewer takes
// every byte from 0x80 up for one).
bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

DecodedChar DecodeCp932At(std::string_view text, size_t position) {
  const unsigned char c = Byte(text, position);
  if (c < 0x80) {
    return {1, c};
  }
  if (c >= 0xA1 && c <= 0xDF) {
    return {1, char32_t{0xFF61} + (c - 0xA1)};
  }
  if (!IsCp932LeadByte(c) || position + 1 >= text.size() ||
      !IsTrailByte(Byte(text, position + 1))) {
    return {1, std::nullopt};
  }
  const uint16_t codePoint =
      cp932_data::kDoubleByte[LeadIndex(c)][Byte(text, position + 1) - cp932_data::kTrailFirst];
  if (codePoint == 0) {
    return {2, std::nullopt};
  }
  return {2, codePoint};
}

DecodedChar DecodeUtf8At(std::string_view text, size_t position) {
  const unsigned char c = Byte(text, position);
  if (c < 0x80) {
    return {1, c};
  }
  size_t length;
  char32_t codePoint;
  char32_t least;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2, codePoint = c & 0x1F, least = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3, codePoint = c & 0x0F, least = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4, codePoint = c & 0x07, least = 0x10000;
  } else {
    return {1, std::nullopt};
  }
  if (position + length > text.size()) {
    return {1, std::nullopt};
  }
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = Byte(text, position + i);
    if ((next & 0xC0) != 0x80) {
      return {1, std::nullopt};
    }
    codePoint = codePoint << 6 | (next & 0x3F);
  }
  if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000)) {
    return {1, std::nullopt};
  }
  return {length, codePoint};
}

std::optional<std::string> EncodeCp932(char32_t codePoint) {
  const auto* begin = std::begin(cp932_data::kEncode);
  const auto* end = std::end(cp932_data::kEncode);
  const auto* it = std::lower_bound(
      begin, end, codePoint,
      [](const cp932_data::EncodeEntry& e, char32_t cp) { return e.codePoint < cp; });
  if (it == end || it->codePoint != codePoint) {
    return std::nullopt;
  }
  if (it->bytes < 0x100) {
    return std::string(1, static_cast<char>(it->bytes));
  }
  return std::string{static_cast<char>(it->bytes >> 8), static_cast<char>(it->bytes & 0xFF)};
}

std::optional<char32_t> Cp932Counterpart(char32_t codePoint) {
  for (const cp932_data::Counterpart& c : cp932_data::kCounterparts) {
    if (c.codePoint == codePoint) {
      return c.readsAs;
    }
  }
  return std::nullopt;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Cp932ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const DecodedChar c = DecodeCp932At(text, i);
    AppendUtf8(c.codePoint.value_or(kReplacement), out);
    i += c.length;
  }
  return out;
}

std::string SanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const DecodedChar c = DecodeUtf8At(text, i);
    if (c.codePoint) {
      out.append(text.substr(i, c.length));
    } else {
      AppendUtf8(kReplacement, out);
    }
    i += c.length;
  }
  return out;
}

std::optional<size_t> FirstInvalidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const DecodedChar c = DecodeUtf8At(text, i);
    if (!c.codePoint) {
      return i;
    }
    i += c.length;
  }
  return std::nullopt;
}

std::string Base64(std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[group >> (18 - 6 * k) & 0x3F] : '=';
    }
  }
  return out;
}

}  // namespace pelmo::deck
