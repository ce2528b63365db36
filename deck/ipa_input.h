#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo::deck {

// One symbol that pelmo has no glyph for, drawn with the nearest one it has.
struct IpaSubstitution {
  size_t column;     // of the symbol in the IPA text, in characters from 1
  std::string from;  // UTF-8
  std::string to;    // UTF-8 IPA of what is drawn instead; empty when it is left out
};

// A substitution table row, for the documentation and the tests: what each symbol becomes.
struct IpaNeighbour {
  const char* from;
  const char* to;
};
const std::vector<IpaNeighbour>& IpaNeighbours();

// "“ʊ” is drawn as “u”: pelmo has no glyph for it", for a warning.
std::string DescribeSubstitution(const IpaSubstitution& substitution);

// Converts a pronunciation written in IPA (UTF-8, as dictionaries print it: /ˈθɪŋk/) into pelmo's
// notation. Stress marks move from before the syllable to its first vowel (ˈ → "!", ˌ → "!!"), and
// combining acute and grave accents after a vowel are stress too (as `ipa` writes them); slashes,
// brackets, syllable dots, ties and spaces are dropped; symbols pelmo has no glyph for get the
// nearest it has (from IpaNeighbours, each use reported, as is a stress mark no vowel follows).
// False with a one-line reason, naming the column, for a symbol with no sensible neighbour.
bool IpaToNotation(std::string_view ipa, std::string& notation,
                   std::vector<IpaSubstitution>& substitutions, std::string& error);

// The same, handing each substitution to `onSubstitution` as it is made rather than keeping it,
// so that a pronunciation of a million substituted symbols costs no memory for them.
using IpaSubstitutionSink = std::function<void(const IpaSubstitution&)>;
bool IpaToNotation(std::string_view ipa, std::string& notation,
                   const IpaSubstitutionSink& onSubstitution, std::string& error);

}  // namespace pelmo::deck
