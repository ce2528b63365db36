#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo::deck {

// One symbol that pelmo has no glyph for, drawn with the nearest one it has; or a stress mark
// left out because it has nothing to stress.
struct IpaSubstitution {
  enum class Reason {
    kNoGlyph,        // `from` has no glyph: `to` is drawn in its place, or nothing when empty
    kNoVowel,        // a stress mark whose syllable ends before a vowel pelmo can stress
    kSecondMark,     // a stress mark that another follows before any vowel
    kAccentedVowel,  // a stress mark before a vowel that carries an accent of its own
  };
  size_t column;     // of the symbol in the IPA text, in characters from 1
  std::string from;  // UTF-8
  std::string to;    // UTF-8 IPA of what is drawn instead; empty when it is left out
  Reason reason = Reason::kNoGlyph;
};

// A substitution table row, for the documentation and the tests: what each symbol becomes.
struct IpaNeighbour {
  const char* from;
  const char* to;
};
const std::vector<IpaNeighbour>& IpaNeighbours();

// "“ʊ” is drawn as “u”: pelmo has no glyph for it", for a warning. A lone combining mark is
// shown on a dotted circle, as “◌̃”.
std::string DescribeSubstitution(const IpaSubstitution& substitution);

// Converts a pronunciation written in IPA (UTF-8, as dictionaries print it: /ˈθɪŋk/) into pelmo's
// notation. A letter with its accents in one code point reads as the letter followed by its
// combining marks (õ as o U+0303), as Unicode defines them to be the same text. Stress marks
// move from before the syllable to its first vowel (ˈ → "!", ˌ → "!!"); the syllable ends at a
// dot, a space, a hyphen or another divider, at the next stress mark and at the end, and a mark
// whose syllable holds no vowel pelmo can stress is left out and reported. Combining acute and
// grave accents after a vowel are stress too (as `ipa` writes them), and win over a mark before
// it. Slashes, brackets, syllable dots, ties and spaces are dropped; symbols pelmo has no glyph
// for get the nearest it has (from IpaNeighbours, each use reported). Substitutions come in
// column order. False with a one-line reason, naming the column, for a symbol with no sensible
// neighbour.
bool IpaToNotation(std::string_view ipa, std::string& notation,
                   std::vector<IpaSubstitution>& substitutions, std::string& error);

// The same, handing each substitution to `onSubstitution` as soon as it is certain rather than
// keeping it, so that a pronunciation of a million substituted symbols costs no memory for them.
// They come in column order unless one syllable holds more than 64; a refused text may have
// handed some over before it was refused.
using IpaSubstitutionSink = std::function<void(const IpaSubstitution&)>;
bool IpaToNotation(std::string_view ipa, std::string& notation,
                   const IpaSubstitutionSink& onSubstitution, std::string& error);

}  // namespace pelmo::deck
