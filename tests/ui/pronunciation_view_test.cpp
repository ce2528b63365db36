#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "pronunciation/pronunciation_view.h"
#include "tests/support/win32_window.h"

namespace pelmo {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

class PronunciationViewTest : public ::testing::Test {
 protected:
  // A view of the given outer size; `canvas` stands for its client area, a pixel in all round.
  void Make(int width, int height) {
    view_.Create(0, 0, width, height, "", parent_.window, GetModuleHandleA(nullptr));
    view_.Attach();
  }
  // The columns of the client area that hold any non-white pixel.
  std::string InkColumns(const testing::Canvas& canvas) {
    std::string columns(static_cast<size_t>(canvas.width()), '.');
    for (int x = 0; x < canvas.width(); ++x) {
      for (int y = 0; y < canvas.height(); ++y) {
        if (canvas.Pixel(x, y) != kWhite) {
          columns[static_cast<size_t>(x)] = '#';
          break;
        }
      }
    }
    return columns;
  }

  testing::TestParent parent_;
  PronunciationView view_;
};

// Ink may only fall in [first, last] of each expected cell, and each cell must have some.
void ExpectInkOnlyIn(const std::string& columns, std::initializer_list<std::pair<int, int>> cells) {
  std::string allowed(columns.size(), '.');
  for (auto [first, last] : cells) {
    EXPECT_NE(columns.substr(first, last - first + 1).find('#'), std::string::npos)
        << "no ink in " << first << "-" << last << ": " << columns;
    for (int x = first; x <= last && x < static_cast<int>(allowed.size()); ++x) {
      allowed[static_cast<size_t>(x)] = '#';
    }
  }
  for (size_t x = 0; x < columns.size(); ++x) {
    if (columns[x] == '#') {
      EXPECT_EQ(allowed[x], '#') << "ink in column " << x << ": " << columns;
    }
  }
}

TEST_F(PronunciationViewTest, EmptyTextLeavesAWhiteBox) {
  Make(100, 40);
  testing::Canvas canvas(98, 38);
  view_.PaintGlyphs(canvas.dc);
  EXPECT_TRUE(canvas.All(0, 0, 98, 38, kWhite));
}

TEST_F(PronunciationViewTest, GlyphsStandEdgeToEdgeFromColumnFive) {
  Make(200, 40);
  view_.SetText("a0a0");
  testing::Canvas canvas(198, 38);
  view_.PaintGlyphs(canvas.dc);
  // Two phonetic a of width 11: cells 5-15 and 16-26, ink from each cell's second column.
  ExpectInkOnlyIn(InkColumns(canvas), {{6, 15}, {17, 26}});
  EXPECT_TRUE(canvas.All(0, 32, 198, 38, kWhite));  // nothing below the 32 rows of a glyph
}

TEST_F(PronunciationViewTest, AGlyphWithoutABitmapIsSkippedWithoutTakingRoom) {
  Make(200, 40);
  view_.SetText("zkz");  // this program carries no bitmap for z
  testing::Canvas canvas(198, 38);
  view_.PaintGlyphs(canvas.dc);
  ExpectInkOnlyIn(InkColumns(canvas), {{6, 16}});  // k alone, in the first cell
}

TEST_F(PronunciationViewTest, ARowWiderThanTheViewIsCutAtTheRightEdge) {
  Make(30, 40);
  view_.SetText("a0a0a0a0");
  testing::Canvas canvas(28, 38);
  view_.PaintGlyphs(canvas.dc);
  const std::string columns = InkColumns(canvas);
  EXPECT_EQ(columns.substr(0, 6), "......");
  EXPECT_NE(columns.substr(17), std::string(11, '.'));  // the second glyph shows, cut
}

TEST_F(PronunciationViewTest, KeepsTheFoldedTextAndDrawsItTheSameAgain) {
  Make(200, 40);
  view_.SetText("A0A0");
  testing::Canvas first(198, 38);
  view_.PaintGlyphs(first.dc);
  EXPECT_EQ(view_.text, "a0a0");
  testing::Canvas second(198, 38);
  view_.PaintGlyphs(second.dc);
  EXPECT_EQ(InkColumns(first), InkColumns(second));
  ExpectInkOnlyIn(InkColumns(first), {{6, 15}, {17, 26}});
  char native[16] = "untouched";
  GetWindowTextA(view_.window, native, sizeof native);
  EXPECT_STREQ(native, "");  // the window's own text stays empty
}

TEST_F(PronunciationViewTest, StoringTextDoesNotRepaint) {
  Make(200, 40);
  UpdateWindow(parent_.window);
  ValidateRect(view_.window, nullptr);
  view_.SetText("ka0!t");
  EXPECT_FALSE(GetUpdateRect(view_.window, nullptr, FALSE));
  EXPECT_EQ(view_.text, "ka0!t");
}

TEST_F(PronunciationViewTest, WmPaintDrawsTheGlyphsIntoTheWindow) {
  Make(200, 40);
  view_.SetBounds(10, 10, 210, 50);
  view_.SetText("k");
  InvalidateRect(view_.window, nullptr, TRUE);
  UpdateWindow(view_.window);
  EXPECT_FALSE(GetUpdateRect(view_.window, nullptr, FALSE));
  // Read the client area back from the window's own device context.
  HDC dc = GetDC(view_.window);
  int ink = 0;
  for (int x = 0; x < 30; ++x) {
    for (int y = 0; y < 32; ++y) {
      ink += GetPixel(dc, x, y) == RGB(0, 0, 0);
    }
  }
  ReleaseDC(view_.window, dc);
  EXPECT_GT(ink, 10);
}

}  // namespace
}  // namespace pelmo
