#include "deck/ipa.h"

#include <vector>

#include "pronunciation/notation.h"

namespace pelmo::deck {

namespace {

constexpr char kAcute[] = "\xCC\x81";  // U+0301
constexpr char kGrave[] = "\xCC\x80";  // U+0300

// The phonetic vowels come in threes: plain, acute, grave.
struct Vowel {
  GlyphId first;
  const char* symbol;
};
constexpr Vowel kVowels[] = {
    {300, "a"},        {303, "\xC9\x91"},  // ɑ
    {306, "\xCA\x8C"},                     // ʌ
    {309, "\xC3\xA6"},                     // æ
    {312, "e"},        {315, "\xC9\x99"},  // ə
    {318, "\xC9\x9A"},                     // ɚ
    {321, "i"},        {324, "\xC9\xAA"},  // ɪ
    {328, "o"},        {331, "\xC9\x94"},  // ɔ
    {334, "u"},
};

struct Symbol {
  GlyphId id;
  const char* text;
};
constexpr Symbol kSymbols[] = {
    {327, "\xCB\x90"},  // ː
    {337, "\xCA\x92"},  // ʒ
    {338, "\xC5\x8B"},  // ŋ
    {339, "\xCA\x83"},  // ʃ
    {340, "\xCE\xB8"},  // θ
    {341, "\xC3\xB0"},  // ð
    {350, "("},        {351, ")"},
};

}  // namespace

std::optional<std::string> GlyphIpa(GlyphId id) {
  if (id >= 107 && id <= 132) {
    return std::string(1, static_cast<char>('a' + (id - 107)));
  }
  for (const Vowel& v : kVowels) {
    if (id >= v.first && id <= v.first + 2) {
      const char* marks[] = {"", kAcute, kGrave};
      return std::string(v.symbol) + marks[id - v.first];
    }
  }
  for (const Symbol& s : kSymbols) {
    if (s.id == id) {
      return std::string(s.text);
    }
  }
  return std::nullopt;
}

std::string NotationToIpa(std::string_view notation) {
  static const GlyphTable table;
  std::string ipa;
  for (const GlyphId id : ScanNotation(NormalizeNotation(notation), table)) {
    ipa += GlyphIpa(id).value_or("");
  }
  return ipa;
}

}  // namespace pelmo::deck
