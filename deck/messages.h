#pragma once

#include <string>
#include <string_view>

// Pieces of the one-line messages the tool writes about text.
namespace pelmo::deck {

// "U+301C"
std::string CodePointName(char32_t codePoint);

// Bytes for a message: "0x82 0xA0", the first eight of a longer run followed by " ...".
std::string HexBytes(std::string_view bytes);

// "the byte 0x80 is no code page 932 text", "the bytes 0x85 0x40 are …", for a finding.
std::string NotCp932Text(std::string_view bytes);

// Text for a one-line message: in typographic quotes, control characters written as <CR>, <LF>,
// <TAB> or <0xNN> so that the message stays on its line.
std::string Quoted(std::string_view utf8);

}  // namespace pelmo::deck
