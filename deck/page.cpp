#include "deck/page.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "deck/cards.h"
#include "deck/findings.h"
#include "deck/glyph_bitmaps.h"
#include "deck/ipa.h"
#include "deck/messages.h"
#include "deck/page_template.h"
#include "deck/png.h"
#include "deck/render.h"
#include "deck/text_encoding.h"
#include "pronunciation/notation.h"
#include "wordlist/text_escapes.h"

namespace pelmo::deck {

namespace {

std::string HtmlText(std::string_view utf8) {
  std::string out;
  for (const char c : SanitizeUtf8(utf8)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Every glyph bitmap side by side, one PNG embedded once; each glyph is then its x in the sprite,
// its width and its IPA, and a card's pronunciation one character per glyph, '0' + its index.
std::string GlyphData() {
  int width = 0;
  for (const GlyphBitmap& g : kGlyphBitmaps) {
    width += g.width;
  }
  GrayImage sprite{width, GlyphBitmap::kHeight, {}};
  sprite.pixels.assign(static_cast<size_t>(width) * sprite.height, 255);
  std::string glyphs;
  int left = 0;
  for (const GlyphBitmap& g : kGlyphBitmaps) {
    DrawGlyph(g, left, 0, sprite);
    glyphs += std::string(glyphs.empty() ? "[" : ",[") + std::to_string(left) + "," +
              std::to_string(g.width) + "," + JsonString(GlyphIpa(g.id).value_or("")) + "]";
    left += g.width;
  }
  return "\"spriteWidth\":" + std::to_string(width) + ",\"sprite\":\"data:image/png;base64," +
         Base64(EncodePng(sprite)) + "\",\"glyphs\":[" + glyphs + "]";
}

std::string GlyphIndices(std::string_view notation) {
  std::string indices;
  for (const GlyphBitmap* g : NotationGlyphs(notation)) {
    indices += static_cast<char>('0' + (g - kGlyphBitmaps));
  }
  return indices;
}

// What the page draws for the bytes of a pronunciation from `position` for `length`: it draws
// what pelmo's scanner finds, and the scanner reads any byte from 0x80 up together with the byte
// after it, so the pieces it reads there may reach past those bytes on either side.
std::string DrawnFor(std::string_view notation, size_t position, size_t length, bool plural) {
  static const GlyphTable table;
  const std::string normalised = NormalizeNotation(notation);  // of the same length
  NotationScanner scanner(normalised, table);
  size_t first = std::string_view::npos;
  size_t last = 0;
  std::string drawn;
  while (const std::optional<NotationPiece> piece = scanner.Next()) {
    if (piece->position >= position + length) {
      break;
    }
    if (piece->position + piece->length > position) {
      first = std::min(first, piece->position);
      last = piece->position + piece->length;
      drawn += piece->id ? GlyphIpa(*piece->id).value_or("") : "";
    }
  }
  const std::string what = drawn.empty() ? "nothing" : Quoted(drawn);
  if (first == position && last == position + length) {
    return "the page draws " + what + " for " + (plural ? "them" : "it");
  }
  return "the page draws " + what + " for the bytes " +
         HexBytes(notation.substr(first, last - first));
}

// The card's first bytes that are no text, and what the page shows for them; empty when there
// are none. The word and the meaning are decoded, each such character one U+FFFD.
std::string PageProblem(const Card& card) {
  const std::optional<InvalidBytes> bad = FindInvalidBytes(card);
  if (!bad) {
    return {};
  }
  const bool plural = bad->length > 1;
  return DescribeInvalidBytes(card) + "; " +
         (bad->column == 1
              ? DrawnFor(card[1], bad->position, bad->length, plural)
              : std::string("the page shows U+FFFD in ") + (plural ? "their" : "its") + " place");
}

// JSON text made safe to stand inside a script element: no "</" can end the element and no
// "<!" can start a comment there. The JSON reads the same.
std::string JsonForScript(std::string_view json) {
  std::string out;
  out.reserve(json.size());
  for (size_t i = 0; i < json.size(); ++i) {
    const char next = i + 1 < json.size() ? json[i + 1] : '\0';
    if (json[i] == '<' && next == '!') {
      out += "\\u003c";
    } else {
      out += json[i];
      if (json[i] == '<' && next == '/') {
        out += '\\';
      }
    }
  }
  return out;
}

// What the page keeps its learner's place under in the browser: FNV-1a (64 bits) over each field's
// length and bytes, card by card, so the same cards give the same name whatever the file or title,
// and a deck with any card changed, added or moved gives another.
class DeckIdentity {
 public:
  void Add(std::string_view field) {
    for (size_t n = field.size(), k = 0; k < 8; ++k, n >>= 8) {
      Byte(static_cast<unsigned char>(n & 0xFF));
    }
    for (const char c : field) {
      Byte(static_cast<unsigned char>(c));
    }
  }
  std::string Hex() const {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int k = 0; k < 16; ++k) {
      hex[15 - k] = kDigits[(hash_ >> (4 * k)) & 0xF];
    }
    return hex;
  }

 private:
  void Byte(unsigned char b) { hash_ = (hash_ ^ b) * 0x100000001B3ULL; }
  unsigned long long hash_ = 0xCBF29CE484222325ULL;
};

// The deck as JSON at the end of the page so far; each card whose bytes are not all text is a
// problem. The title is the deck's name, under which the study view keeps its progress: unlike
// the identity, it stays when a meaning is edited or a card removed.
void AppendData(const std::vector<Card>& cards, std::string_view title, PageResult& result) {
  // Only the deck's text can hold "<"; the glyph data is made safe by construction.
  auto text = [](const std::string& field) { return JsonForScript(JsonString(field)); };
  static const std::string glyphData = GlyphData();
  std::string& out = result.html;
  DeckIdentity identity;
  out += "{" + glyphData + ",\"cards\":[";
  for (size_t n = 0; n < cards.size(); ++n) {
    const Card& card = cards[n];
    if (std::string problem = PageProblem(card); !problem.empty()) {
      result.problems.push_back({n + 1, std::move(problem)});
    }
    // The meaning's CR LF is one line break on the page; CSS would show a lone CR as a space.
    out += (n ? "," : "") + text(Cp932ToUtf8(card[0])) + "," + JsonString(GlyphIndices(card[1])) +
           "," + text(Cp932ToUtf8(ReplaceAll(card[2], "\r\n", "\n")));
    for (const std::string& field : card) {
      identity.Add(field);
    }
  }
  out += "],\"deck\":\"" + identity.Hex() +
         "\",\"name\":" + JsonForScript(JsonString(SanitizeUtf8(title))) + "}";
}

}  // namespace

bool MakePage(std::string_view deck, std::string_view title, PageResult& result,
              std::string& error) {
  result = PageResult();
  std::vector<Card> cards;
  if (!ReadCards(deck, cards, error)) {
    return false;
  }
  result.cards = cards.size();
  const std::string titleText = HtmlText(title);
  for (size_t k = 0; k < kPageTemplateCount; ++k) {
    result.html += kPageTemplate[k].text;
    if (kPageTemplate[k].hole == PageHole::kTitle) {
      result.html += titleText;
    } else if (kPageTemplate[k].hole == PageHole::kData) {
      AppendData(cards, title, result);  // in place: a large deck's data is not copied again
    }
  }
  return true;
}

}  // namespace pelmo::deck
