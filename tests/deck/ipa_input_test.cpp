// IPA in, notation out: `ipa` of the notation gives back the IPA, less the documented
// substitutions, with each stress mark moved onto its vowel as a combining accent.
// And what each glyph is in IPA, from the names of the art it is drawn from.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "deck/ipa.h"
#include "deck/ipa_input.h"

namespace pelmo::deck {
namespace {

// What a glyph art file draws in IPA, from its name: a single letter is itself, "-acute" and
// "-grave" add U+0301 and U+0300, and the rest are the IPA letters of those names.
std::string ArtIpa(std::string name) {
  static const std::map<std::string, std::string> kSymbols = {
      {"script-a", "\u0251"},    {"turned-v", "\u028C"},   {"ash", "\u00E6"},
      {"schwa", "\u0259"},       {"schwa-hook", "\u025A"}, {"small-cap-i", "\u026A"},
      {"open-o", "\u0254"},      {"ezh", "\u0292"},        {"eng", "\u014B"},
      {"esh", "\u0283"},         {"theta", "\u03B8"},      {"eth", "\u00F0"},
      {"length-mark", "\u02D0"}, {"paren-left", "("},      {"paren-right", ")"}};
  const std::pair<std::string, std::string> kAccents[] = {{"-acute", "\u0301"},
                                                          {"-grave", "\u0300"}};
  std::string accent;
  for (const auto& [suffix, mark] : kAccents) {
    if (name.ends_with(suffix)) {
      name.resize(name.size() - suffix.size());
      accent = mark;
    }
  }
  return (name.size() == 1 ? name : kSymbols.count(name) ? kSymbols.at(name) : "?" + name) + accent;
}

TEST(GlyphIpa, IsWhatTheArtOfEachGlyphIsNamedAfterAndNothingForOtherIds) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PELMO_GLYPH_SOURCE_DIR)) {
    const std::string file = entry.path().filename().string();  // "340-theta.txt"
    if (entry.path().extension() == ".txt") {
      ++files;
      const size_t dash = file.find('-');
      const GlyphId id = std::stoi(file.substr(0, dash));
      EXPECT_EQ(GlyphIpa(id), ArtIpa(file.substr(dash + 1, file.size() - dash - 5))) << file;
    }
  }
  EXPECT_EQ(files, 70u);
  for (const GlyphId id : {0, 106, 133, 299, 342, 349, 352}) {
    EXPECT_FALSE(GlyphIpa(id)) << id;
  }
}

// The symbols pelmo draws, as `ipa` prints them; the first twelve are vowels.
const char* const kDrawn[] = {"a", "ɑ", "ʌ", "æ", "e", "ə", "ɚ", "i", "ɪ", "o", "ɔ", "u", "ʒ", "ŋ",
                              "ʃ", "θ", "ð", "ː", "(", ")", "b", "c", "d", "f", "g", "h", "j", "k",
                              "l", "m", "n", "p", "q", "r", "s", "t", "v", "w", "x", "y", "z"};

bool IsVowel(const std::string& symbol) {
  return std::find(kDrawn, kDrawn + 12, symbol) != kDrawn + 12;
}

// A transcription built unit by unit, with what `ipa` must print for it and where it substitutes.
struct Transcription {
  std::string ipa, printed, accent;  // `accent`: a stress waiting for its vowel
  std::vector<size_t> substituted;   // columns, in characters
  size_t column = 0;

  void Add(const std::string& unit, const std::string& shown, bool substitution = false) {
    ipa += unit;
    if (++column, substitution) {
      substituted.push_back(column);
    }
    for (size_t k = 0, n = 1; k < shown.size(); k += n, n = 1) {
      while (k + n < shown.size() && (shown[k + n] & 0xC0) == 0x80) {
        ++n;
      }
      printed += shown.substr(k, n);
      if (!accent.empty() && IsVowel(shown.substr(k, n))) {
        printed += accent;
        accent.clear();
      }
    }
  }
  void Stress(bool primary) {
    Add(primary ? "ˈ" : "ˌ", "");
    accent = primary ? "\u0301" : "\u0300";
  }
};

TEST(IpaToNotation, GivesBackEverySymbolAndDictionaryTranscriptionsLessTheSubstitutions) {
  struct Unit {
    std::string written, printed;
    bool substitution;
  };
  std::vector<Unit> units;
  for (const char* s : kDrawn) {
    units.push_back({s, s, false});
  }
  for (const IpaNeighbour& n : IpaNeighbours()) {
    units.push_back({n.from, n.to, true});
  }
  for (const char* framing : {"/", "[", "]", ".", " ", "-", "\u0361", "\u203F"}) {
    units.push_back({framing, "", false});
  }
  uint32_t state = 12345;
  auto next = [&](size_t n) { return ((state = state * 1103515245u + 12345u) >> 8) % n; };
  // First every unit after each stress mark and before a vowel, then random transcriptions.
  for (size_t round = 0; round < 3 * units.size() + 400; ++round) {
    Transcription t;
    if (round < 3 * units.size()) {
      if (round % 3) {
        t.Stress(round % 3 == 1);
      }
      const Unit& u = units[round / 3];
      t.Add(u.written, u.printed, u.substitution);
      t.Add("i", "i");
    }
    for (size_t n = round < 3 * units.size() ? 0 : 1 + next(12); n > 0; --n) {
      if (next(10) == 0) {
        t.Stress(next(2) == 0);
      } else {
        const Unit& u = units[next(units.size())];
        t.Add(u.written, u.printed, u.substitution);
      }
    }
    std::string notation, error;
    std::vector<IpaSubstitution> substitutions;
    ASSERT_TRUE(IpaToNotation(t.ipa, notation, substitutions, error)) << t.ipa << ": " << error;
    EXPECT_EQ(NotationToIpa(notation), t.printed) << t.ipa << " -> " << notation;
    std::vector<size_t> columns;
    for (const IpaSubstitution& s : substitutions) {
      columns.push_back(s.column);
    }
    if (t.accent.empty()) {  // else a mark with no vowel after it is reported too
      EXPECT_EQ(columns, t.substituted) << t.ipa;
    }
  }
}

TEST(IpaToNotation, WritesTheWorkedExamplesAndRefusesWhatItCannotDraw) {
  const std::pair<const char*, const char*> kCases[] = {
      // the notation, or "!" and the error
      {"/ˈθɪŋk/", "s2i1![ng]k"}, {"/ˌʌndərˈstænd/", "a2!!nde1rst[ae!]nd"},
      {"ˈwɔːtɚ", "wo1!:te2"},    {"t͡ʃiːz", "ts1i0:z"},
      {"kǽt", "k[ae!]t"},        {"'kæt", "k[ae!]t"},
      {"/ˈbʊk/", "bu0!k"},       {"ɹɛd", "re0d"},
      {"ˈɡɜːl", "ge1!:l"},       {"/ʔə/", "!column 2: “ʔ” (U+0294) has no glyph in pelmo, nor"},
      {"ab3", "!column 3: "},    {"\u0301a", "!column 1: a stress accent that follows no"}};
  for (const auto& [ipa, expected] : kCases) {
    std::string notation, error;
    std::vector<IpaSubstitution> substitutions;
    const bool ok = IpaToNotation(ipa, notation, substitutions, error);
    EXPECT_EQ(ok ? notation : "!" + error.substr(0, std::string(expected).size() - 1), expected)
        << ipa;
  }
}

}  // namespace
}  // namespace pelmo::deck
