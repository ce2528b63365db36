#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "deck/glyph_bitmaps.h"
#include "deck/render.h"

#ifndef PELMO_GLYPH_SOURCE_DIR
#error "PELMO_GLYPH_SOURCE_DIR must name resources/glyphs"
#endif

namespace pelmo::deck {
namespace {

// The text art the viewer's bitmaps are made from, read here on its own: id -> rows of . and #.
const std::map<GlyphId, std::vector<std::string>>& Art() {
  static const std::map<GlyphId, std::vector<std::string>> art = [] {
    std::map<GlyphId, std::vector<std::string>> out;
    for (const auto& entry : std::filesystem::directory_iterator(PELMO_GLYPH_SOURCE_DIR)) {
      const std::string name = entry.path().filename().string();
      if (entry.path().extension() != ".txt") {
        continue;
      }
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<std::string> rows;
      for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
          line.pop_back();
        }
        rows.push_back(line);
      }
      out[std::stoi(name)] = rows;
    }
    return out;
  }();
  return art;
}

TEST(GlyphBitmaps, AreTheViewersArtPixelForPixel) {
  ASSERT_EQ(Art().size(), kGlyphBitmapCount);
  for (const auto& [id, rows] : Art()) {
    SCOPED_TRACE(id);
    const GlyphBitmap* g = FindGlyphBitmap(id);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(rows.size(), 32u);
    for (int y = 0; y < GlyphBitmap::kHeight; ++y) {
      ASSERT_EQ(static_cast<int>(rows[y].size()), g->width);
      for (int x = 0; x < g->width; ++x) {
        ASSERT_EQ(g->Black(x, y), rows[y][x] == '#') << "row " << y << " column " << x;
      }
    }
  }
}

TEST(GlyphBitmaps, CoverEveryIdOfTheGlyphTable) {
  for (const GlyphEntry& entry : GlyphTable::Entries()) {
    EXPECT_NE(FindGlyphBitmap(entry.id), nullptr) << entry.token;
  }
  EXPECT_EQ(FindGlyphBitmap(133), nullptr);
}

GrayImage Render(const std::string& notation, int scale = 1) {
  GrayImage image;
  std::string error;
  EXPECT_TRUE(RenderNotation(notation, scale, image, error)) << error;
  return image;
}

// Checks the art of `id` at canvas column `left`, row 1.
void ExpectGlyphAt(const GrayImage& image, GlyphId id, int left) {
  const std::vector<std::string>& rows = Art().at(id);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
      ASSERT_EQ(image.At(left + x, 1 + y), rows[y][x] == '#' ? 0 : 255)
          << "glyph " << id << " row " << y << " column " << x;
    }
  }
}

void ExpectBorderAndWhiteColumns(const GrayImage& image, int fromColumn, int toColumn) {
  for (int x = 0; x < image.width; ++x) {
    ASSERT_EQ(image.At(x, 0), 0) << x;
    ASSERT_EQ(image.At(x, image.height - 1), 0) << x;
  }
  for (int y = 0; y < image.height; ++y) {
    ASSERT_EQ(image.At(0, y), 0) << y;
    ASSERT_EQ(image.At(image.width - 1, y), 0) << y;
  }
  for (int x = fromColumn; x < toColumn; ++x) {
    for (int y = 1; y < image.height - 1; ++y) {
      ASSERT_EQ(image.At(x, y), 255) << x << "," << y;
    }
  }
}

TEST(Render, LaysTwoGlyphsEdgeToEdgeFromColumnFiveAsTheViewDoes) {
  const GrayImage image = Render("a0a0");  // two glyphs of width 11
  ASSERT_EQ(image.width, 2 + 5 + 22 + 5);
  ASSERT_EQ(image.height, 34);
  ExpectBorderAndWhiteColumns(image, 1, 6);
  ExpectGlyphAt(image, 300, 6);
  ExpectGlyphAt(image, 300, 17);
  ExpectBorderAndWhiteColumns(image, 28, 33);
}

TEST(Render, DrawsOnlyWhatTheViewDraws) {
  const GrayImage image = Render("KA5T");  // folded; a5 draws nothing
  ASSERT_EQ(image.width, 12 + 12 + 10);
  ExpectGlyphAt(image, 117, 6);
  ExpectGlyphAt(image, 126, 18);
}

TEST(Render, DrawsAnEmptyBorderedBoxForNothing) {
  const GrayImage image = Render("1 2 ]");
  ASSERT_EQ(image.width, 12);
  ASSERT_EQ(image.height, 34);
  ExpectBorderAndWhiteColumns(image, 1, 11);
}

TEST(Render, ScalesEveryPixelIntoASquare) {
  const GrayImage one = Render("s1i0:p");
  const GrayImage three = Render("s1i0:p", 3);
  ASSERT_EQ(three.width, one.width * 3);
  ASSERT_EQ(three.height, one.height * 3);
  for (int y = 0; y < three.height; ++y) {
    for (int x = 0; x < three.width; ++x) {
      ASSERT_EQ(three.At(x, y), one.At(x / 3, y / 3)) << x << "," << y;
    }
  }
}

TEST(Render, RefusesABadScaleOrAPictureTooWide) {
  GrayImage image;
  std::string error;
  EXPECT_FALSE(RenderNotation("a", 0, image, error));
  EXPECT_NE(error.find("scale"), std::string::npos);
  EXPECT_FALSE(RenderNotation("a", kRenderMaxScale + 1, image, error));
  EXPECT_TRUE(RenderNotation("a", kRenderMaxScale, image, error));
  EXPECT_FALSE(RenderNotation(std::string(6000, 'm'), 1, image, error));  // 6000 * 17 pixels
  EXPECT_NE(error.find("wide"), std::string::npos);
}

}  // namespace
}  // namespace pelmo::deck
