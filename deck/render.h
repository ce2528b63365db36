#pragma once

#include <string>
#include <string_view>

#include "deck/png.h"

namespace pelmo::deck {

struct GlyphBitmap;

// The picture the pronunciation view draws: a black one-pixel border round a white client area
// 32 pixels high, the glyphs edge to edge from client column 5 and row 0, and 5 white columns
// after the last glyph. Unscaled the canvas is (12 + the glyphs' widths) by 34 pixels; `scale`
// repeats each pixel scale by scale times.
inline constexpr int kRenderMaxScale = 16;

// Draws a glyph, black on white, with its top left corner at (left, top) of the image.
void DrawGlyph(const GlyphBitmap& glyph, int left, int top, GrayImage& image);

// False, with a one-line reason, when the scale is out of 1..kRenderMaxScale or the picture
// would be wider than 65,535 pixels.
bool RenderNotation(std::string_view notation, int scale, GrayImage& image, std::string& error);

}  // namespace pelmo::deck
