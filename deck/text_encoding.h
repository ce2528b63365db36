#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code page 932 and UTF-8, character by character. Code page 932 is read here as it really is,
// which is not how the viewer walks it: the viewer takes every byte from 0x80 up as the first of
// two, while the one-byte katakana 0xA1-0xDF stand alone.
namespace pelmo::deck {

// One character at a position: its length in bytes and its code point, or no code point when
// the bytes are no character (then `length` says how far to step over them).
struct DecodedChar {
  size_t length;
  std::optional<char32_t> codePoint;
};

// A lead byte followed by a byte of the trail range takes both, character or not; a lead byte
// with anything else after it (or nothing), and the bytes 0x80, 0xA0 and 0xFD-0xFF, are one
// invalid byte.
DecodedChar DecodeCp932At(std::string_view text, size_t position);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. An invalid sequence
// is reported one byte long.
DecodedChar DecodeUtf8At(std::string_view text, size_t position);

// The code page 932 bytes of a code point, or nothing when the code page does not hold it.
std::optional<std::string> EncodeCp932(char32_t codePoint);

// For a code point the code page lacks although a look-alike shares its place in the Japanese
// character set (〜 and ～): the code point the code page holds there.
std::optional<char32_t> Cp932Counterpart(char32_t codePoint);

void AppendUtf8(char32_t codePoint, std::string& out);

// Code page 932 text as UTF-8; every byte that is no character becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view text);

// UTF-8 kept as it is, every invalid byte replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view text);

// The offset of the first byte that is not valid UTF-8, or nothing.
std::optional<size_t> FirstInvalidUtf8(std::string_view text);

// RFC 4648 base64, padded, on one line.
std::string Base64(std::string_view bytes);

}  // namespace pelmo::deck
