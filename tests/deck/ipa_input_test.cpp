// IPA in, notation out: `ipa` of the notation gives back the IPA, less the substitutions the
// README lists, with each stress mark moved onto a vowel of its syllable as a combining accent.
// And what each glyph is in IPA, from the names of the art it is drawn from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "deck/ipa.h"
#include "deck/ipa_input.h"

namespace pelmo::deck {
namespace {

using Reason = IpaSubstitution::Reason;

size_t Characters(const std::string& utf8) {
  return std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; });
}

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

// The README's table of substitutions, row by row: what is written, what is drawn instead.
struct Substituted {
  std::string written, drawn;
};
// clang-format off
const Substituted kReadmeSubstitutions[] = {
    {"ʊ", "u"}, {"ɛ", "e"}, {"ɜ", "ə"}, {"ɘ", "ə"}, {"ɝ", "ɚ"}, {"ɒ", "ɔ"}, {"ɐ", "ʌ"},
    {"ɨ", "ɪ"}, {"ᵻ", "ɪ"},
    {"ɹ", "r"}, {"ɻ", "r"}, {"ɾ", "t"}, {"ɡ", "g"}, {"ɫ", "l"}, {"ʍ", "w"}, {"ɱ", "m"},
    {"ʉ", "u"}, {"ᵿ", "u"},
    {"ʧ", "tʃ"}, {"ʤ", "dʒ"}, {"ʦ", "ts"}, {"ˑ", "ː"},
    {"n\u0329", "n"},  // syllabic
    {"o\u0303", "o"},  // nasal, as o and a combining tilde
    {"\u00F5", "o"},   // and as one character, as web dictionaries give it
    {"ʰ", ""},
};
// clang-format on

TEST(IpaToNotation, GivesBackEverySymbolLessTheSubstitutionsAndStressesTheVowelOfEachMark) {
  // The IPA, what `ipa` prints for its notation, and the columns warned about.
  struct Row {
    std::string ipa, printed;
    std::vector<size_t> warned;
  };
  std::vector<Row> rows = {
      {"aɑʌæeəɚiɪoɔuʒŋʃθðː()bcdfghjklmnpqrstvwxyzt͡ʃ",
       "aɑʌæeəɚiɪoɔuʒŋʃθðː()bcdfghjklmnpqrstvwxyztʃ",
       {}},
      {"ˈaˌɑˈʌˌæˈeˌəˈɚˌiˈɪˌoˈɔˌu",
       "a\u0301ɑ\u0300ʌ\u0301æ\u0300e\u0301ə\u0300ɚ\u0301i\u0300ɪ\u0301o\u0300ɔ\u0301u\u0300",
       {}},
      {"ˌkʃæ", "kʃæ\u0300", {}}};
  for (const char* divider : {"/", "[", "]", ".", " ", "-", "|", "\u203F"}) {
    rows.push_back({std::string("ˈk") + divider + "a", "ka", {1}});  // the mark finds no vowel
  }
  for (const Substituted& s : kReadmeSubstitutions) {
    rows.push_back({"ˈka" + s.written, "ka\u0301" + s.drawn, {3 + Characters(s.written)}});
  }
  for (const Row& row : rows) {
    std::string notation, error;
    std::vector<IpaSubstitution> substitutions;
    ASSERT_TRUE(IpaToNotation(row.ipa, notation, substitutions, error)) << row.ipa << error;
    EXPECT_EQ(NotationToIpa(notation), row.printed) << row.ipa << " -> " << notation;
    std::vector<size_t> columns;
    for (const IpaSubstitution& s : substitutions) {
      columns.push_back(s.column);
    }
    EXPECT_EQ(columns, row.warned) << row.ipa;
  }
}

// "column from→to" for a substitution, "column mark: why" for a mark left out.
std::string Summary(const std::vector<IpaSubstitution>& substitutions) {
  std::string out;
  for (const IpaSubstitution& s : substitutions) {
    const char* why[] = {"", ": no vowel", ": second mark", ": accented vowel"};
    out += (out.empty() ? "" : ", ") + std::to_string(s.column) + " " + s.from +
           (s.reason == Reason::kNoGlyph ? "→" + s.to : why[static_cast<int>(s.reason)]);
  }
  return out;
}

TEST(IpaToNotation, WritesTheWorkedExamplesAndRefusesWhatItCannotDraw) {
  const struct {
    const char* ipa;
    const char* notation;  // or "!" and the start of the error
    const char* warnings;
  } kCases[] = {
      {"/ˈθɪŋk/", "s2i1![ng]k", ""},
      {"/ˌʌndərˈstænd/", "a2!!nde1rst[ae!]nd", ""},
      {"ˈwɔːtɚ", "wo1!:te2", ""},
      {"/həˈloʊ/", "he1lo0!u0", "7 ʊ→u"},
      {"ˈt͡ʃiːz", "ts1i0!:z", ""},  // a tie ends no syllable
      {"'kæt", "k[ae!]t", ""},
      {"ˈɡɜːl", "ge1!:l", "2 ɡ→g, 3 ɜ→ə"},
      {"ZÁ", "za0!", ""},  // capitals as small letters
      // A mark finds no vowel in its syllable: the dot, the end; y is a vowel pelmo cannot stress.
      {"ˈyː.bɐ", "y:ba2", "1 ˈ: no vowel, 6 ɐ→ʌ"},
      {"a'", "a0", "2 ': no vowel"},
      // Two marks before one vowel: the first is left out.
      {"ˈˌa", "a0!!", "1 ˈ: second mark"},
      {"ˌˈkˈa", "ka0!", "1 ˌ: second mark, 2 ˈ: second mark"},
      // An accent after the vowel wins over a mark before it.
      {"ˈká", "ka0!", "1 ˈ: accented vowel"},
      {"ˌkǽt", "k[ae!]t", "1 ˌ: accented vowel"},
      // A letter with its accents in one character reads as the letter and its marks.
      {"\u00E3\u1EBD\u0129\u0169", "a0e0i0u0", "1 \u0303→, 2 \u0303→, 3 \u0303→, 4 \u0303→"},
      {"\u0254\u0303", "o1", "2 \u0303→"},  // ɔ̃
      {"ˈ\u00C3", "a0!", "2 \u0303→"},      // Ã
      {"\u1E4D", "o0!", "1 \u0303→"},       // ṍ: o, tilde and acute
      {"\u00F1", "n", "1 \u0303→"},         // ñ
      {"a\u0341", "a0!", ""},               // the acute tone mark is the acute
      {"\u00E9\u00E8", "e0!e0!!", ""},
      // Refused: no neighbour, or an accent on nothing pelmo can stress, in either form.
      {"/ʔə/", "!column 2: “ʔ” (U+0294) has no glyph in pelmo, nor", ""},
      {"ab3", "!column 3: “3” (U+0033)", ""},
      {"\u00E7", "!column 1: “ç” (U+00E7) has no glyph", ""},  // c and a cedilla
      {"\u1EA5", "!column 1: “ấ” (U+1EA5) has no glyph", ""},  // a, circumflex and acute
      {"\u0301a", "!column 1: a stress accent that follows no vowel", ""},
      {"\u0144", "!column 1: a stress accent that follows no vowel", ""},  // ń
      {"n\u0301", "!column 2: a stress accent that follows no vowel", ""},
      {"\u00E1\u0301", "!column 2: a stress accent that follows no vowel", ""},
      {"ˈa\u0301\u0300", "!column 4: a stress accent that follows no vowel", ""},
  };
  for (const auto& c : kCases) {
    std::string notation, error;
    std::vector<IpaSubstitution> substitutions;
    const bool ok = IpaToNotation(c.ipa, notation, substitutions, error);
    EXPECT_EQ(ok ? notation : "!" + error.substr(0, std::string(c.notation).size() - 1), c.notation)
        << c.ipa;
    EXPECT_EQ(Summary(substitutions), c.warnings) << c.ipa;
  }
}

TEST(DescribeSubstitution, SaysWhatIsDrawnAndWhyAndShowsALoneMarkOnACircle) {
  const std::pair<IpaSubstitution, const char*> kCases[] = {
      {{3, "ʊ", "u"}, "“ʊ” is drawn as “u”: pelmo has no glyph for it"},
      {{1, "\u0303", ""}, "“◌\u0303” is left out: pelmo has no glyph for it"},
      {{1, "ˈ", "", Reason::kNoVowel},
       "“ˈ” is left out: no vowel pelmo can stress follows it in its syllable"},
      {{1, "ˌ", "", Reason::kSecondMark},
       "“ˌ” is left out: another stress mark follows it before any vowel"},
      {{1, "'", "", Reason::kAccentedVowel},
       "“'” is left out: the vowel after it carries an accent of its own"},
  };
  for (const auto& [substitution, expected] : kCases) {
    EXPECT_EQ(DescribeSubstitution(substitution), expected);
  }
}

}  // namespace
}  // namespace pelmo::deck
