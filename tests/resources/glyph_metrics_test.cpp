// Checks the generated glyph bitmaps against the metrics the pronunciation view relies on:
// cells are drawn edge to edge from one top row, so every glyph must sit on the same
// baseline, start at the same column and keep a blank column on its right.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#ifndef PELMO_GLYPH_BMP_DIR
#error "PELMO_GLYPH_BMP_DIR must name the directory holding the generated <id>.bmp files"
#endif

namespace {

constexpr int kHeight = 32;
constexpr int kBaseline = 24;

// ---------------------------------------------------------------------------
// A minimal reader for the one kind of file the generator writes.

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<bool> ink;  // row-major from the top row

  bool Ink(int x, int y) const { return ink[static_cast<size_t>(y) * width + x]; }
  bool RowBlank(int y) const {
    for (int x = 0; x < width; ++x) {
      if (Ink(x, y)) {
        return false;
      }
    }
    return true;
  }
  std::string Row(int y) const {
    std::string row;
    for (int x = 0; x < width; ++x) {
      row += Ink(x, y) ? '#' : '.';
    }
    return row;
  }
};

uint32_t U16(const std::vector<uint8_t>& d, size_t at) {
  return d[at] | d[at + 1] << 8;
}
uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
  return U16(d, at) | static_cast<uint32_t>(U16(d, at + 2)) << 16;
}
int32_t S32(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<int32_t>(U32(d, at));
}

// Reads an uncompressed 24-bit BMP that holds only pure black and pure white.
// Returns an empty string on success, otherwise what is wrong with the file.
std::string ReadBitmap(const std::string& path, Bitmap* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return "cannot open " + path;
  }
  const std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  constexpr size_t kHeaders = 14 + 40;
  if (d.size() < kHeaders) {
    return "shorter than the two headers";
  }
  if (d[0] != 'B' || d[1] != 'M') {
    return "no BM signature";
  }
  if (U32(d, 2) != d.size()) {
    return "file size field does not match the file";
  }
  const uint32_t offset = U32(d, 10);
  if (U32(d, 14) != 40) {
    return "info header is not the 40-byte BITMAPINFOHEADER";
  }
  const int32_t width = S32(d, 18);
  const int32_t raw_height = S32(d, 22);
  if (width <= 0 || width > 1000) {
    return "implausible width";
  }
  if (raw_height == 0 || raw_height > 1000 || raw_height < -1000) {
    return "implausible height";
  }
  if (U16(d, 26) != 1) {
    return "planes is not 1";
  }
  if (U16(d, 28) != 24) {
    return "not 24 bits per pixel";
  }
  if (U32(d, 30) != 0) {
    return "compressed (expected BI_RGB)";
  }
  if (U32(d, 46) != 0) {
    return "has a colour table";
  }
  const bool bottom_up = raw_height > 0;
  const int height = bottom_up ? raw_height : -raw_height;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  const size_t image_size = stride * height;
  if (U32(d, 34) != image_size) {
    return "image size field is not stride times height";
  }
  if (offset < kHeaders || offset + image_size > d.size()) {
    return "pixel data out of the file";
  }

  out->width = width;
  out->height = height;
  out->ink.assign(static_cast<size_t>(width) * height, false);
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + stride * (bottom_up ? height - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      const uint8_t b = d[row + 3 * x], g = d[row + 3 * x + 1], r = d[row + 3 * x + 2];
      if (b != g || g != r || (r != 0 && r != 255)) {
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
               ") is neither pure black nor pure white";
      }
      out->ink[static_cast<size_t>(y) * width + x] = r == 0;
    }
  }
  return "";
}

// ---------------------------------------------------------------------------
// What each glyph must measure.

struct GlyphRule {
  int id;
  std::string name;
  int width;
  int top;         // first row with ink
  int bottom_min;  // last row with ink lies in [bottom_min, bottom_max]
  int bottom_max;
  int left;  // first column with ink
};

// A vowel with its acute (id + 1) and grave (id + 2) forms.
struct VowelRule {
  int id;
  const char* name;
  int width;
  int body_top;  // the accent goes above this row
  int plain_top;
  int accent_top;
  int plain_left;
  int stressed_left;
};

constexpr int kDescent = 27;  // descenders end on row 27 or 28
constexpr int kDescentMax = 28;

const std::vector<VowelRule>& Vowels() {
  static const std::vector<VowelRule> vowels = {
      {300, "a", 11, 14, 14, 9, 1, 1},
      {303, "script a", 13, 13, 13, 9, 1, 1},
      {306, "turned v", 13, 13, 13, 8, 1, 1},
      {309, "ash", 20, 14, 14, 9, 1, 1},
      {312, "e", 12, 14, 14, 9, 1, 1},
      {315, "schwa", 12, 14, 14, 9, 1, 1},
      {318, "hooked schwa", 15, 14, 14, 9, 2, 2},
      {321, "phonetic i", 6, 14, 11, 9, 2, 1},  // plain form has a dot at row 11
      {324, "small capital I", 6, 14, 14, 9, 1, 1},
      {328, "o", 12, 14, 14, 9, 1, 1},
      {331, "open o", 12, 14, 14, 9, 1, 1},
      {334, "u", 12, 14, 14, 9, 1, 1},
  };
  return vowels;
}

const std::vector<GlyphRule>& Rules() {
  static const std::vector<GlyphRule> rules = [] {
    std::vector<GlyphRule> s = {
        // id, name, width, top, bottom range, left
        {107, "a", 11, 14, kBaseline, kBaseline, 1},
        {108, "b", 12, 9, kBaseline, kBaseline, 1},
        {109, "c", 12, 14, kBaseline, kBaseline, 1},
        {110, "d", 12, 9, kBaseline, kBaseline, 1},
        {111, "e", 12, 14, kBaseline, kBaseline, 1},
        {112, "f", 10, 9, kBaseline, kBaseline, 1},
        {113, "g", 12, 11, kDescent, kDescentMax, 1},
        {114, "h", 12, 9, kBaseline, kBaseline, 1},
        {115, "i", 6, 9, kBaseline, kBaseline, 2},
        {116, "j", 7, 6, kDescent, kDescentMax, 1},
        {117, "k", 12, 9, kBaseline, kBaseline, 1},
        {118, "l", 6, 9, kBaseline, kBaseline, 2},
        {119, "m", 17, 14, kBaseline, kBaseline, 1},
        {120, "n", 12, 14, kBaseline, kBaseline, 1},
        {121, "o", 12, 14, kBaseline, kBaseline, 1},
        {122, "p", 12, 14, kDescent, kDescentMax, 1},
        {123, "q", 12, 14, kDescent, kDescentMax, 1},
        {124, "r", 9, 14, kBaseline, kBaseline, 1},
        {125, "s", 11, 14, kBaseline, kBaseline, 1},
        {126, "t", 10, 11, kBaseline, kBaseline, 1},
        {127, "u", 12, 14, kBaseline, kBaseline, 1},
        {128, "v", 13, 14, kBaseline, kBaseline, 1},
        {129, "w", 17, 14, kBaseline, kBaseline, 1},
        {130, "x", 11, 14, kBaseline, kBaseline, 1},
        {131, "y", 13, 15, kDescent, kDescentMax, 1},
        {132, "z", 11, 14, kBaseline, kBaseline, 1},
        {327, "length mark", 7, 13, 22, 22, 2},
        {337, "ezh", 12, 15, 30, 30, 1},
        {338, "eng", 13, 14, kDescent, kDescentMax, 1},
        {339, "esh", 12, 7, 27, 27, 2},
        {340, "theta", 12, 9, kBaseline, kBaseline, 1},
        {341, "eth", 11, 9, kBaseline, kBaseline, 1},
        {350, "left parenthesis", 8, 7, 26, 26, 1},
        {351, "right parenthesis", 8, 7, 26, 26, 1},
    };
    for (const VowelRule& v : Vowels()) {
      const std::string name = v.name;
      s.push_back({v.id, name, v.width, v.plain_top, kBaseline, kBaseline, v.plain_left});
      s.push_back({v.id + 1, name + " acute", v.width, v.accent_top, kBaseline, kBaseline,
                   v.stressed_left});
      s.push_back({v.id + 2, name + " grave", v.width, v.accent_top, kBaseline, kBaseline,
                   v.stressed_left});
    }
    return s;
  }();
  return rules;
}

const GlyphRule& RuleOf(int id) {
  for (const GlyphRule& g : Rules()) {
    if (g.id == id) {
      return g;
    }
  }
  static const GlyphRule none{0, "?", 0, 0, 0, 0, 0};
  ADD_FAILURE() << "glyph " << id << " is not in the table";
  return none;
}

std::string Label(const GlyphRule& g) {
  return "glyph " + std::to_string(g.id) + " (" + g.name + ")";
}

struct Loaded {
  std::string error;
  Bitmap bitmap;
};

// Each file is read once; every test sees the same result.
const Loaded& Load(int id) {
  static std::map<int, Loaded> cache;
  auto it = cache.find(id);
  if (it == cache.end()) {
    Loaded loaded;
    const std::string path = std::string(PELMO_GLYPH_BMP_DIR) + "/" + std::to_string(id) + ".bmp";
    loaded.error = ReadBitmap(path, &loaded.bitmap);
    if (loaded.error.empty() &&
        (loaded.bitmap.height != kHeight || loaded.bitmap.width != RuleOf(id).width)) {
      loaded.error = "is " + std::to_string(loaded.bitmap.width) + " x " +
                     std::to_string(loaded.bitmap.height) + ", expected " +
                     std::to_string(RuleOf(id).width) + " x " + std::to_string(kHeight);
    }
    it = cache.emplace(id, loaded).first;
  }
  return it->second;
}

// The bitmap of a glyph, or null after recording a failure, so that no metric test
// can pass on a glyph it could not look at.
const Bitmap* Get(const GlyphRule& g) {
  const Loaded& loaded = Load(g.id);
  if (!loaded.error.empty()) {
    ADD_FAILURE() << Label(g) << ": " << loaded.error;
    return nullptr;
  }
  return &loaded.bitmap;
}

struct Extent {
  int top = -1, bottom = -1, left = -1, right = -1;  // -1: no ink at all
};

Extent InkExtent(const Bitmap& b, int first_row = 0, int last_row = kHeight - 1) {
  Extent e;
  for (int y = first_row; y <= last_row; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (!b.Ink(x, y)) {
        continue;
      }
      if (e.top < 0) {
        e.top = y;
      }
      e.bottom = y;
      if (e.left < 0 || x < e.left) {
        e.left = x;
      }
      if (x > e.right) {
        e.right = x;
      }
    }
  }
  return e;
}

// Whether ink above row `split` touches ink from row `split` down, diagonals included.
bool TouchesBelow(const Bitmap& b, int split) {
  for (int x = 0; x < b.width; ++x) {
    if (!b.Ink(x, split - 1)) {
      continue;
    }
    for (int dx = -1; dx <= 1; ++dx) {
      if (x + dx >= 0 && x + dx < b.width && b.Ink(x + dx, split)) {
        return true;
      }
    }
  }
  return false;
}

// Mean ink column of one row, in half pixels so it stays an integer.
int RowCentre2(const Bitmap& b, int y) {
  int sum = 0, count = 0;
  for (int x = 0; x < b.width; ++x) {
    if (b.Ink(x, y)) {
      sum += 2 * x;
      ++count;
    }
  }
  return count ? sum / count : -1;
}

// ---------------------------------------------------------------------------

TEST(GlyphMetrics, TableHoldsTheSeventyGlyphs) {
  std::map<int, int> seen;
  for (const GlyphRule& g : Rules()) {
    ++seen[g.id];
  }
  EXPECT_EQ(seen.size(), 70u);
  for (const auto& [id, count] : seen) {
    EXPECT_EQ(count, 1) << "glyph " << id << " listed twice";
    EXPECT_TRUE((id >= 107 && id <= 132) || (id >= 300 && id <= 341) || id == 350 || id == 351)
        << "glyph " << id << " is not one of the program's bitmaps";
  }
}

TEST(GlyphMetrics, EveryGlyphIsA32PixelHighBlackAndWhiteBitmapOfItsWidth) {
  for (const GlyphRule& g : Rules()) {
    const Loaded& loaded = Load(g.id);
    EXPECT_TRUE(loaded.error.empty()) << Label(g) << ": " << loaded.error;
  }
}

TEST(GlyphMetrics, FirstInkRow) {
  for (const GlyphRule& g : Rules()) {
    if (const Bitmap* b = Get(g)) {
      EXPECT_EQ(InkExtent(*b).top, g.top) << Label(g) << " starts on the wrong row";
    }
  }
}

TEST(GlyphMetrics, LastInkRowIsTheBaselineOrTheDescender) {
  for (const GlyphRule& g : Rules()) {
    if (const Bitmap* b = Get(g)) {
      const int bottom = InkExtent(*b).bottom;
      EXPECT_GE(bottom, g.bottom_min) << Label(g) << " ends too high";
      EXPECT_LE(bottom, g.bottom_max) << Label(g) << " ends too low";
    }
  }
}

TEST(GlyphMetrics, FirstInkColumn) {
  for (const GlyphRule& g : Rules()) {
    if (const Bitmap* b = Get(g)) {
      EXPECT_EQ(InkExtent(*b).left, g.left) << Label(g) << " starts in the wrong column";
    }
  }
}

TEST(GlyphMetrics, LastColumnIsBlankSoNeighboursDoNotTouch) {
  for (const GlyphRule& g : Rules()) {
    if (const Bitmap* b = Get(g)) {
      EXPECT_LE(InkExtent(*b).right, b->width - 2) << Label(g) << " inks its last column";
    }
  }
}

TEST(GlyphMetrics, DotsStandApartFromTheirStems) {
  // The letter i, the letter j and the plain phonetic i: a dot, a blank row, a stem
  // from the x-height down.
  for (int id : {115, 116, 321}) {
    const GlyphRule& g = RuleOf(id);
    if (const Bitmap* b = Get(g)) {
      const Extent dot = InkExtent(*b, 0, 12);
      EXPECT_EQ(dot.top, g.top) << Label(g) << " has no dot on its row";
      EXPECT_TRUE(b->RowBlank(13)) << Label(g) << ": dot runs into the stem";
      EXPECT_FALSE(b->RowBlank(14)) << Label(g) << ": stem does not reach the x-height";
    }
  }
}

TEST(GlyphMetrics, StressFormsShareTheVowelBody) {
  for (const VowelRule& v : Vowels()) {
    const GlyphRule& plain_rule = RuleOf(v.id);
    const Bitmap* plain = Get(plain_rule);
    if (!plain) {
      continue;
    }
    // Above the body, the plain form is blank except for the dot of the phonetic i.
    const Extent above = InkExtent(*plain, 0, v.body_top - 1);
    if (v.plain_top == v.body_top) {
      EXPECT_EQ(above.top, -1) << Label(plain_rule) << " has ink above its body";
    }
    for (int offset : {1, 2}) {
      const GlyphRule& g = RuleOf(v.id + offset);
      const Bitmap* stressed = Get(g);
      if (!stressed) {
        continue;
      }
      for (int y = v.body_top; y < kHeight; ++y) {
        EXPECT_EQ(stressed->Row(y), plain->Row(y))
            << Label(g) << " differs from the plain form in row " << y;
      }
    }
  }
}

TEST(GlyphMetrics, AccentsSitAboveTheBodyAndSlantTheirWay) {
  for (const VowelRule& v : Vowels()) {
    for (int offset : {1, 2}) {
      const GlyphRule& g = RuleOf(v.id + offset);
      const Bitmap* b = Get(g);
      if (!b) {
        continue;
      }
      const Extent accent = InkExtent(*b, 0, v.body_top - 1);
      if (accent.top < 0) {
        ADD_FAILURE() << Label(g) << " has no accent";
        continue;
      }
      EXPECT_FALSE(TouchesBelow(*b, v.body_top)) << Label(g) << ": accent touches the body";
      EXPECT_GE(accent.bottom - accent.top, 2) << Label(g) << ": accent too flat to slant";

      const int top_centre = RowCentre2(*b, accent.top);
      const int bottom_centre = RowCentre2(*b, accent.bottom);
      if (offset == 1) {
        EXPECT_GT(top_centre, bottom_centre) << Label(g) << ": acute must rise to the right";
      } else {
        EXPECT_LT(top_centre, bottom_centre) << Label(g) << ": grave must rise to the left";
      }

      // Centred over the body within a pixel and a half.
      const Extent body = InkExtent(*b, v.body_top, kHeight - 1);
      const int accent_mid2 = accent.left + accent.right;
      const int body_mid2 = body.left + body.right;
      EXPECT_LE(accent_mid2 - body_mid2, 3) << Label(g) << ": accent too far right";
      EXPECT_GE(accent_mid2 - body_mid2, -3) << Label(g) << ": accent too far left";
    }
  }
}

TEST(GlyphMetrics, AcuteAndGraveAreMirrorImages) {
  for (const VowelRule& v : Vowels()) {
    const GlyphRule& acute_rule = RuleOf(v.id + 1);
    const GlyphRule& grave_rule = RuleOf(v.id + 2);
    const Bitmap* acute = Get(acute_rule);
    const Bitmap* grave = Get(grave_rule);
    if (!acute || !grave) {
      continue;
    }
    const Extent a = InkExtent(*acute, 0, v.body_top - 1);
    const Extent g = InkExtent(*grave, 0, v.body_top - 1);
    if (a.top != g.top || a.bottom != g.bottom || a.right - a.left != g.right - g.left) {
      ADD_FAILURE() << Label(acute_rule) << " and " << Label(grave_rule)
                    << ": accents of different size";
      continue;
    }
    for (int y = a.top; y <= a.bottom; ++y) {
      std::string acute_row, grave_reversed;
      for (int i = 0; i <= a.right - a.left; ++i) {
        acute_row += acute->Ink(a.left + i, y) ? '#' : '.';
        grave_reversed += grave->Ink(g.right - i, y) ? '#' : '.';
      }
      EXPECT_EQ(acute_row, grave_reversed)
          << Label(grave_rule) << " is not " << Label(acute_rule) << " reversed, row " << y;
    }
  }
}

TEST(GlyphMetrics, LengthMarkIsTwoTrianglesPointToPoint) {
  const GlyphRule& g = RuleOf(327);
  const Bitmap* b = Get(g);
  if (!b) {
    return;
  }
  const Extent e = InkExtent(*b);
  ASSERT_GE(e.top, 0) << Label(g) << " is blank";
  auto ink_in_row = [&](int y) {
    int n = 0;
    for (int x = 0; x < b->width; ++x) {
      n += b->Ink(x, y);
    }
    return n;
  };
  // The upper triangle narrows downwards to its point, the lower one is its reflection.
  const int middle = (e.top + e.bottom) / 2;
  for (int y = e.top; y < middle; ++y) {
    EXPECT_GE(ink_in_row(y), ink_in_row(y + 1)) << Label(g) << ": widens at row " << y + 1;
  }
  for (int y = e.top; y <= middle; ++y) {
    EXPECT_EQ(b->Row(y), b->Row(e.top + e.bottom - y))
        << Label(g) << ": rows " << y << " and " << e.top + e.bottom - y << " differ";
  }
  EXPECT_GT(ink_in_row(e.top), ink_in_row(middle)) << Label(g) << " is not pointed";
}

TEST(GlyphMetrics, ParenthesesAreMirrorImages) {
  const Bitmap* left = Get(RuleOf(350));
  const Bitmap* right = Get(RuleOf(351));
  if (!left || !right) {
    return;
  }
  const Extent l = InkExtent(*left);
  const Extent r = InkExtent(*right);
  ASSERT_GE(l.top, 0) << "glyph 350 is blank";
  ASSERT_EQ(l.right - l.left, r.right - r.left) << "the parentheses differ in width";
  for (int y = 0; y < kHeight; ++y) {
    for (int x = l.left; x <= l.right; ++x) {
      EXPECT_EQ(left->Ink(x, y), right->Ink(r.left + (l.right - x), y))
          << "glyph 351 is not glyph 350 reversed, row " << y;
    }
  }
  // A left parenthesis bulges to the left: its middle row is further left than its ends.
  const int middle = (l.top + l.bottom) / 2;
  EXPECT_LT(InkExtent(*left, middle, middle).left, InkExtent(*left, l.top, l.top).left)
      << "glyph 350 does not open to the right";
}

}  // namespace
