#include "deck/messages.h"

#include <cstdio>

namespace pelmo::deck {

std::string CodePointName(char32_t codePoint) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
  return name;
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size() && i < 8; ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%s0x%02X", i == 0 ? "" : " ",
                  static_cast<unsigned char>(bytes[i]));
    out += hex;
  }
  return bytes.size() > 8 ? out + " ..." : out;
}

std::string NotCp932Text(std::string_view bytes) {
  const bool one = bytes.size() == 1;
  return (one ? "the byte " : "the bytes ") + HexBytes(bytes) + (one ? " is" : " are") +
         " no code page 932 text";
}

std::string Quoted(std::string_view utf8) {
  std::string out = "\xE2\x80\x9C";  // “
  for (const char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\r') {
      out += "<CR>";
    } else if (c == '\n') {
      out += "<LF>";
    } else if (c == '\t') {
      out += "<TAB>";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<0x%02X>", c);
      out += hex;
    } else {
      out += ch;
    }
  }
  return out + "\xE2\x80\x9D";  // ”
}

}  // namespace pelmo::deck
