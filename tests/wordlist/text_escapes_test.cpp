#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "wordlist/text_escapes.h"

namespace pelmo {
namespace {

// The algorithm exactly as described: find, replace, search again from the replacement's start.
std::string Transcribed(const std::string& text, const std::string& pattern,
                        const std::string& replacement) {
  if (pattern.empty()) {
    return text;
  }
  std::string r = text;
  size_t p = r.find(pattern, 0);
  while (p != std::string::npos) {
    r.replace(p, pattern.size(), replacement);
    p = r.find(pattern, p);
  }
  return r;
}

TEST(ResolveMeaningEscapes, TurnsTheTwoEscapesIntoText) {
  const struct {
    const char* what;
    std::string in, out;
  } cases[] = {
      {"backslash-n is a line break", "a\\nb", "a\r\nb"},
      {"two backslashes are one", "a\\\\b", "a\\b"},
      {"three become one", "a\\\\\\b", "a\\b"},
      {"four become one", "a\\\\\\\\b", "a\\b"},
      {"backslash, backslash, n: the line break pass runs first", "\\\\n", "\\\r\n"},
      {"a lone backslash stays", "a\\b\\", "a\\b\\"},
      {"a second byte 0x5C before n is eaten", "\x83\x5cn", "\x83\r\n"},
      {"nothing to resolve", "\x94\x4c", "\x94\x4c"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveMeaningEscapes(c.in), c.out) << c.what;
  }
}

TEST(ReplaceAll, AgreesWithTheStepByStepAlgorithmOnRandomText) {
  const std::pair<std::string, std::string> pairs[] = {
      {"\\n", "\r\n"}, {"\\\\", "\\"}, {"n", ""},    {"\\n\\", "n"}, {"ab", "b"},
      {"aa", "a"},     {"\\", "n"},    {"nn", "\\"}, {"\\nn", "\\"}, {"", "x"}};
  uint32_t state = 7;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  const char alphabet[] = {'\\', 'n', '\\', 'a', 'b', '\x83', '\r'};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (uint32_t n = next() % 40; n > 0; --n) {
      text += alphabet[next() % sizeof alphabet];
    }
    for (const auto& [pattern, replacement] : pairs) {
      ASSERT_EQ(ReplaceAll(text, pattern, replacement), Transcribed(text, pattern, replacement))
          << "text of " << text.size() << " bytes, pattern " << pattern;
    }
    ASSERT_EQ(ResolveMeaningEscapes(text),
              Transcribed(Transcribed(text, "\\n", "\r\n"), "\\\\", "\\"));
  }
}

TEST(ResolveMeaningEscapes, AMegabyteOfBackslashesBecomesOne) {
  EXPECT_EQ(ResolveMeaningEscapes(std::string(1 << 20, '\\')), "\\");
  const std::string mixed = std::string(1 << 19, '\\') + "n";
  EXPECT_EQ(ResolveMeaningEscapes(mixed), "\\\r\n");
}

}  // namespace
}  // namespace pelmo
