// The view's pixels against the glyphs' text art, every pixel of the client area: a glyph a column
// or a row off, a wrong advance, a row wrapped instead of cut all show. That the program's view
// paints the card's pronunciation on screen, the end-to-end test shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "pronunciation/pronunciation_view.h"
#include "tests/support/win32_window.h"

namespace pelmo {
namespace {

// Rows of '#' (black) and '.' (white) for a client area 38 pixels high: as painted, or as the
// glyphs' text art puts them, edge to edge from column 5 and row 0, cut at the right edge.
std::string Picture(const testing::Canvas& canvas) {
  std::string picture;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      const COLORREF c = canvas.Pixel(x, y);
      picture += c == RGB(255, 255, 255) ? '.' : c == RGB(0, 0, 0) ? '#' : '?';
    }
    picture += '\n';
  }
  return picture;
}
std::string Expected(int width, const std::vector<std::string>& glyphs) {
  std::vector<std::string> rows(38, ".....");
  for (const std::string& glyph : glyphs) {
    std::ifstream art(PELMO_GLYPH_ART "/" + glyph + ".txt");
    for (std::string& row : rows) {
      std::string line;
      std::getline(art, line);  // 32 lines of art; nothing below
      row += line.substr(0, line.find('\r'));
    }
  }
  std::string picture;
  for (std::string& row : rows) {
    row.resize(static_cast<size_t>(width), '.');
    picture += row + '\n';
  }
  return picture;
}

TEST(PronunciationView, DrawsTheGlyphBitmapsEdgeToEdgeFromColumnFiveOnWhite) {
  testing::TestParent parent;
  // Text, width of the view (its client area is a pixel smaller all round), glyphs drawn.
  const std::tuple<const char*, int, std::vector<std::string>> cases[] = {
      {"", 100, {}},
      {"a0ka0!", 100, {"300-a", "117-k", "301-a-acute"}},
      {"zKz", 100, {"117-k"}},  // z has no bitmap here: skipped, taking no room; K folds to k
      {"a0a0a0", 24, {"300-a", "300-a"}},  // cut at the right edge, nothing on a second row
  };
  for (const auto& [text, width, glyphs] : cases) {
    PronunciationView view;
    view.Create(9, 7, width, 40, "", parent.window, GetModuleHandleA(nullptr));
    view.SetText(text);
    testing::Canvas canvas(width - 2, 38);
    view.PaintGlyphs(canvas.dc);
    view.PaintGlyphs(canvas.dc);  // the second paint draws the same
    EXPECT_EQ(Picture(canvas), Expected(width - 2, glyphs)) << text;
  }
}

}  // namespace
}  // namespace pelmo
