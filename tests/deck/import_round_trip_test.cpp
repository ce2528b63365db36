// The importer's promise, tested on random rows: every row it writes comes back from the viewer's
// own loader and escapes exactly as the source reads, and every row with a hazard is refused with
// its line, its column and the reason.
#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/text_escapes.h"
#include "deck/import.h"
#include "deck/text_encoding.h"
#include "tests/support/deck_file.h"
#include "wordlist/load_failure.h"
#include "wordlist/word_list.h"

namespace pelmo::deck {
namespace {

using pelmo::testing::DeckFile;

enum class Hazard {
  kNone,
  kComma,
  kQuote,
  kOneByteKana,
  kLineBreak,
  kControl,
  kNotCp932,
  kBackslashN,
  kTwoBackslashes,
  kSecondByte,
  kBadCsv,
};

struct Expectation {
  Hazard hazard = Hazard::kNone;
  size_t field = 0;
  std::string code;
};

// What the viewer needs, worked out here from its rules alone.
std::string Cp932(const std::u32string& text) {
  std::string out;
  for (const char32_t c : text) {
    out += c == U'\n' ? std::string("\r\n") : EncodeCp932(c).value();
  }
  return out;
}

// The viewer takes every byte from 0x80 up as the first of two: does it read past the end?
bool ViewerOverruns(const std::string& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    i += static_cast<unsigned char>(bytes[i]) >= 0x80 ? 2 : 1;
  }
  return i > bytes.size();
}

// The escapes start at a backslash followed by n or by another backslash, whatever the bytes.
bool StartsNoEscape(const std::string& shown) {
  return shown.find("\\n") == std::string::npos && shown.find("\\\\") == std::string::npos;
}

std::string Utf8(const std::u32string& text) {
  std::string out;
  for (const char32_t c : text) {
    AppendUtf8(c, out);
  }
  return out;
}

class RowMaker {
 public:
  explicit RowMaker(uint32_t seed) : random_(seed) {
    for (char32_t cp = 0x20; cp < 0x10000; ++cp) {
      if (cp != U',' && cp != U'"' && cp != U'\\' && cp != 0x7F && EncodeCp932(cp)) {
        repertoire_.push_back(cp);
        if (EncodeCp932(cp)->back() == '\\') {
          endsInBackslash_.push_back(cp);
        }
      }
    }
  }

  size_t Pick(size_t n) { return random_() % n; }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

  // Text without hazards for the column: the viewer keeps it as it stands.
  std::u32string Safe(size_t field) {
    for (;;) {
      std::u32string text;
      const size_t length = Pick(12);
      for (size_t i = 0; i < length; ++i) {
        const size_t kind = Pick(100);
        if (kind < 70) {
          text += repertoire_[Pick(repertoire_.size())];
        } else if (kind < 80) {
          text += static_cast<char32_t>('a' + Pick(26));
        } else if (kind < 85) {
          text += endsInBackslash_[Pick(endsInBackslash_.size())];
        } else if (kind < 90) {
          text += U"\uFF71\uFF9F\uFF61"[Pick(3)];  // one-byte katakana
        } else if (kind < 93) {
          text += U'\\';
        } else if (kind < 95) {
          text += U'\t';
        } else if (field == 2) {
          text += U'\n';
        }
      }
      const std::string bytes = Cp932(text);
      if (field == 2 ? StartsNoEscape(bytes) : !ViewerOverruns(bytes)) {
        return text;
      }
    }
  }

  // A place in `text` where the viewer, walking its bytes, is in step with the characters.
  size_t InStep(const std::u32string& text) {
    for (;;) {
      const size_t at = Pick(text.size() + 1);
      if (!ViewerOverruns(Cp932(text.substr(0, at)))) {
        return at;
      }
    }
  }

  // A place not right after a character whose last byte is a backslash.
  size_t NotAfterBackslash(const std::u32string& text) {
    for (;;) {
      const size_t at = Pick(text.size() + 1);
      if (at == 0 || Cp932(text.substr(at - 1, 1)).back() != '\\') {
        return at;
      }
    }
  }

  void Inject(Hazard hazard, std::array<std::u32string, 3>& row, Expectation& e) {
    e.hazard = hazard;
    const size_t anyField = Pick(3);
    const size_t wordOrPronunciation = Pick(2);
    std::u32string* text = nullptr;
    switch (hazard) {
      case Hazard::kNone:
      case Hazard::kBadCsv:
        return;
      case Hazard::kComma:
        e = {hazard, anyField, "comma"};
        text = &row[anyField];
        text->insert(InStep(*text), 1, U',');
        return;
      case Hazard::kQuote:
        e = {hazard, wordOrPronunciation, "quote"};
        row[wordOrPronunciation].insert(0, 1, U'"');
        return;
      case Hazard::kOneByteKana:
        e = {hazard, wordOrPronunciation, "one-byte-kana"};
        row[wordOrPronunciation] += U'\uFF71';
        return;
      case Hazard::kLineBreak:
        e = {hazard, wordOrPronunciation, "line-break"};
        text = &row[wordOrPronunciation];
        text->insert(Pick(text->size() + 1), 1, U'\n');
        return;
      case Hazard::kControl: {
        e = {hazard, anyField, "control-character"};
        const char32_t controls[] = {0x00, 0x01, 0x07, 0x0B, 0x0C, 0x1A, 0x1B, 0x1F, 0x7F};
        text = &row[anyField];
        text->insert(Pick(text->size() + 1), 1, controls[Pick(std::size(controls))]);
        return;
      }
      case Hazard::kNotCp932: {
        e = {hazard, anyField, "not-cp932"};
        const char32_t missing[] = {0x1F600, 0xA5, 0x301C, 0xE9, 0x80, 0x2014, 0x20AC, 0xF8F0};
        text = &row[anyField];
        text->insert(Pick(text->size() + 1), 1, missing[Pick(std::size(missing))]);
        return;
      }
      case Hazard::kBackslashN:
        e = {hazard, 2, "escape"};
        row[2].insert(NotAfterBackslash(row[2]), U"\\n");
        return;
      case Hazard::kTwoBackslashes:
        e = {hazard, 2, "escape"};
        row[2].insert(NotAfterBackslash(row[2]), U"\\\\");
        return;
      case Hazard::kSecondByte: {
        e = {hazard, 2, "escape-second-byte"};
        std::u32string eaten(1, endsInBackslash_[Pick(endsInBackslash_.size())]);
        eaten += Chance(50) ? U'n' : U'\\';
        row[2].insert(NotAfterBackslash(row[2]), eaten);
        return;
      }
    }
  }

  // RFC 4180 as spreadsheets write it, with either line end; returns the line breaks written.
  size_t WriteField(const std::string& utf8, bool spoil, std::string& csv) {
    const bool mustQuote = utf8.find_first_of(",\"\r\n") != std::string::npos;
    size_t breaks = 0;
    if (!mustQuote && !spoil && Chance(70)) {
      csv += utf8;
      return 0;
    }
    csv += '"';
    for (const char c : utf8) {
      if (c == '"') {
        csv += "\"\"";
      } else if (c == '\n') {
        csv += Chance(50) ? "\r\n" : "\n";
        ++breaks;
      } else {
        csv += c;
      }
    }
    csv += '"';
    if (spoil) {
      csv += "x";  // text after the closing quote
    }
    return breaks;
  }

 private:
  std::mt19937 random_;
  std::vector<char32_t> repertoire_;
  std::vector<char32_t> endsInBackslash_;
};

struct Source {
  size_t line;
  std::array<std::u32string, 3> fields;
  Expectation expected;
};

std::vector<WordRow> LoadAsTheViewer(const std::string& deck) {
  DeckFile file(deck, "round-trip.csv");
  WordList list;
  const LoadFailureHandler previous = SetLoadFailureHandler([](const char*) {});
  const bool loaded = list.Load(file.name());
  SetLoadFailureHandler(previous);
  EXPECT_TRUE(loaded);
  return list.rows;
}

void RoundTrip(uint32_t seed, size_t rowCount) {
  RowMaker maker(seed);
  std::vector<Source> sources;
  std::string csv = maker.Chance(50) ? "\xEF\xBB\xBF" : "";
  size_t line = 1;
  const Hazard hazards[] = {Hazard::kComma,      Hazard::kQuote,          Hazard::kOneByteKana,
                            Hazard::kLineBreak,  Hazard::kControl,        Hazard::kNotCp932,
                            Hazard::kBackslashN, Hazard::kTwoBackslashes, Hazard::kSecondByte,
                            Hazard::kBadCsv};
  for (size_t r = 0; r < rowCount; ++r) {
    Source s;
    s.line = line;
    for (size_t k = 0; k < 3; ++k) {
      s.fields[k] = maker.Safe(k);
    }
    if (s.fields[0].empty() && s.fields[1].empty() && s.fields[2].empty()) {
      s.fields[0] = U"w";  // an empty record would be skipped, not written
    }
    if (maker.Chance(40)) {
      maker.Inject(hazards[maker.Pick(std::size(hazards))], s.fields, s.expected);
    } else if (maker.Chance(10)) {
      s.fields[0] = U"\"x,y\"";  // quotes that balance protect the comma
    } else if (maker.Chance(10)) {
      s.fields[2] = U"\"" + s.fields[2] + U",z";  // a meaning may leave the line quoted
    }
    const size_t spoilt = s.expected.hazard == Hazard::kBadCsv ? maker.Pick(3) : 3;
    for (size_t k = 0; k < 3; ++k) {
      line += maker.WriteField(Utf8(s.fields[k]), k == spoilt, csv);
      csv += k < 2 ? "," : (maker.Chance(50) ? "\r\n" : "\n");
    }
    ++line;
    sources.push_back(s);
  }

  ImportResult result;
  std::vector<ImportRefusal> refusals;
  std::string error;
  ASSERT_TRUE(ImportDeck(csv, {}, result, error, [&](const ImportRefusal& r) {
    refusals.push_back(r);
  })) << error;

  size_t refused = 0;
  size_t written = 0;
  std::vector<const Source*> writtenSources;
  for (const Source& s : sources) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", line " + std::to_string(s.line));
    if (s.expected.hazard == Hazard::kNone) {
      ASSERT_LT(written, result.writtenLines.size());
      EXPECT_EQ(result.writtenLines[written], s.line);
      writtenSources.push_back(&s);
      ++written;
      continue;
    }
    ASSERT_LT(refused, refusals.size());
    const ImportRefusal& got = refusals[refused++];
    EXPECT_EQ(got.line, s.line);
    if (s.expected.hazard == Hazard::kBadCsv) {
      EXPECT_EQ(got.code, "csv");
      EXPECT_EQ(got.field, "");
    } else {
      EXPECT_EQ(got.code, s.expected.code) << got.reason;
      EXPECT_EQ(got.field, kColumnNames[s.expected.field]) << got.reason;
    }
  }
  EXPECT_EQ(refused, refusals.size());
  EXPECT_EQ(result.refused, refusals.size());
  ASSERT_EQ(written, result.writtenLines.size());

  // The written deck, through the viewer's own loader and escapes.
  const std::vector<WordRow> rows = LoadAsTheViewer(result.deck);
  ASSERT_EQ(rows.size(), writtenSources.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const Source& s = *writtenSources[i];
    SCOPED_TRACE("seed " + std::to_string(seed) + ", line " + std::to_string(s.line));
    ASSERT_EQ(rows[i].FieldCount(), 3u);
    EXPECT_EQ(rows[i].Field(0), Cp932(s.fields[0]));
    EXPECT_EQ(rows[i].Field(1), Cp932(s.fields[1]));
    EXPECT_EQ(ResolveMeaningEscapes(rows[i].Field(2)), Cp932(s.fields[2]));
  }
}

TEST(ImportRoundTrip, WritesEverySafeRowExactlyAndRefusesEveryHazardWithItsReason) {
  for (const uint32_t seed : {1u, 2u, 3u, 4u}) {
    ASSERT_NO_FATAL_FAILURE(RoundTrip(seed, 1500));
  }
}

TEST(ImportRoundTrip, KeepsEveryCharacterOfTheCodePageThatIsNoHazard) {
  // Every character once, in rows of twenty: the whole repertoire through the viewer.
  std::vector<char32_t> all;
  for (char32_t cp = 0x20; cp < 0x10000; ++cp) {
    if (cp != U',' && cp != U'"' && cp != U'\\' && cp != 0x7F && EncodeCp932(cp)) {
      all.push_back(cp);
    }
  }
  std::string csv;
  std::vector<std::u32string> meanings;
  for (size_t i = 0; i < all.size(); i += 20) {
    std::u32string meaning;
    for (size_t j = i; j < all.size() && j < i + 20; ++j) {
      meaning += all[j];
      meaning += U' ';  // so that no character ending in a backslash meets an n
    }
    meanings.push_back(meaning);
    csv += "w,p," + Utf8(meaning) + "\n";
  }
  ImportResult result;
  std::string error;
  ASSERT_TRUE(ImportDeck(csv, {}, result, error, [](const ImportRefusal& r) {
    ADD_FAILURE() << "line " << r.line << ": " << r.reason;
  })) << error;
  const std::vector<WordRow> rows = LoadAsTheViewer(result.deck);
  ASSERT_EQ(rows.size(), meanings.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(ResolveMeaningEscapes(rows[i].Field(2)), Cp932(meanings[i])) << i;
  }
}

}  // namespace
}  // namespace pelmo::deck
