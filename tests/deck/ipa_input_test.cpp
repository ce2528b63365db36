// IPA in, notation out: `ipa` of the notation gives back the IPA, less the documented
// substitutions and with each stress mark moved onto its vowel as a combining accent.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "deck/ipa.h"
#include "deck/ipa_input.h"

namespace pelmo::deck {
namespace {

// The symbols pelmo draws, as `ipa` prints them; the first twelve are vowels.
const std::vector<std::string> kDrawn = {"a", "ɑ", "ʌ", "æ", "e", "ə", "ɚ", "i", "ɪ", "o", "ɔ",
                                         "u", "ʒ", "ŋ", "ʃ", "θ", "ð", "ː", "(", ")", "b", "c",
                                         "d", "f", "g", "h", "j", "k", "l", "m", "n", "p", "q",
                                         "r", "s", "t", "v", "w", "x", "y", "z"};
const std::vector<std::string> kFraming = {"/", "[", "]", ".", " ", "-", "\u0361", "\u203F"};

bool IsVowel(const std::string& s) {
  for (size_t k = 0; k < 12; ++k) {
    if (s.rfind(kDrawn[k], 0) == 0) {
      return true;
    }
  }
  return false;
}

// A transcription as units, and what `ipa` must print for it: a unit's own text, or its
// documented neighbour; a stress mark becomes an accent after the next vowel printed.
struct Model {
  std::string ipa;
  std::string expected;
  std::vector<size_t> substituted;  // columns, in characters
  size_t column = 0;
  std::string stress;  // an accent waiting for its vowel

  void Add(const std::string& unit, const std::string& printed, bool substitution) {
    ipa += unit;
    ++column;
    if (substitution) {
      substituted.push_back(column);
    }
    // Each character printed: the stress goes after the first vowel among them.
    for (size_t k = 0; k < printed.size();) {
      size_t length = 1;
      while (k + length < printed.size() && (printed[k + length] & 0xC0) == 0x80) {
        ++length;
      }
      const std::string symbol = printed.substr(k, length);
      expected += symbol;
      if (!stress.empty() && IsVowel(symbol)) {
        expected += stress;
        stress.clear();
      }
      k += length;
    }
  }
  void Stress(bool primary) {
    ipa += primary ? "ˈ" : "ˌ";
    ++column;
    stress = primary ? "\u0301" : "\u0300";
  }
};

void ExpectRoundTrip(const Model& m) {
  std::string notation;
  std::vector<IpaSubstitution> substitutions;
  std::string error;
  ASSERT_TRUE(IpaToNotation(m.ipa, notation, substitutions, error)) << m.ipa << ": " << error;
  EXPECT_EQ(NotationToIpa(notation), m.expected) << m.ipa << " -> " << notation;
  std::vector<size_t> columns;
  for (const IpaSubstitution& s : substitutions) {
    columns.push_back(s.column);
  }
  if (m.stress.empty()) {
    EXPECT_EQ(columns, m.substituted) << m.ipa;
  }
}

TEST(IpaToNotation, EveryDrawnSymbolAndNeighbourComesBackWithEitherStress) {
  for (const std::string& symbol : kDrawn) {
    for (int stress = 0; stress < 3; ++stress) {
      Model m;
      if (stress) {
        m.Stress(stress == 1);
      }
      m.Add(symbol, symbol, false);
      m.Add("a", "a", false);  // a stress mark before a consonant goes to the vowel after it
      ExpectRoundTrip(m);
    }
  }
  for (const IpaNeighbour& n : IpaNeighbours()) {
    Model m;
    m.Stress(true);
    m.Add("k", "k", false);
    m.Add(n.from, n.to, true);
    m.Add("i", "i", false);
    ExpectRoundTrip(m);
  }
}

TEST(IpaToNotation, DictionaryTranscriptionsComeBackLessTheirSubstitutions) {
  std::vector<std::pair<std::string, std::string>> units;  // text, printed
  for (const std::string& s : kDrawn) {
    units.push_back({s, s});
  }
  for (const IpaNeighbour& n : IpaNeighbours()) {
    units.push_back({n.from, n.to});
  }
  uint32_t state = 12345;
  auto next = [&](uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  for (int round = 0; round < 400; ++round) {
    Model m;
    for (uint32_t n = 1 + next(12); n > 0; --n) {
      const uint32_t pick = next(10);
      if (pick == 0) {
        m.Stress(next(2) == 0);
      } else if (pick == 1) {
        m.ipa += kFraming[next(static_cast<uint32_t>(kFraming.size()))];
        ++m.column;
      } else {
        const auto& [text, printed] = units[next(static_cast<uint32_t>(units.size()))];
        m.Add(text, printed, text != printed);
      }
    }
    ExpectRoundTrip(m);
  }
}

TEST(IpaToNotation, WritesTheWorkedExamplesAndRefusesWhatItCannotDraw) {
  const struct {
    const char* ipa;
    const char* notation;  // empty: refused, and the error names the column
    const char* error = "";
  } cases[] = {
      {"/ˈθɪŋk/", "s2i1![ng]k"},
      {"/ˌʌndərˈstænd/", "a2!!nde1rst[ae!]nd"},
      {"ˈwɔːtɚ", "wo1!:te2"},
      {"t͡ʃiːz", "ts1i0:z"},
      {"kǽt", "k[ae!]t"},
      {"'kæt", "k[ae!]t"},
      {"/ˈbʊk/", "bu0!k"},  // ʊ drawn as u
      {"ɹɛd", "re0d"},
      {"ˈɡɜːl", "ge1!:l"},
      {"/ʔə/", "", "column 2: \u201C\u0294\u201D (U+0294) has no glyph"},
      {"ab3", "", "column 3:"},
      {"\u0301a", "", "column 1: a stress accent"},
  };
  for (const auto& c : cases) {
    std::string notation;
    std::vector<IpaSubstitution> substitutions;
    std::string error;
    const bool ok = IpaToNotation(c.ipa, notation, substitutions, error);
    EXPECT_EQ(ok, *c.notation != '\0') << c.ipa;
    EXPECT_EQ(ok ? notation : error.substr(0, std::string(c.error).size()),
              ok ? c.notation : c.error)
        << c.ipa;
  }
}

}  // namespace
}  // namespace pelmo::deck
