#include "app/layout.h"

#include <bit>
#include <cstdint>

namespace pelmo {

namespace {

// The fractions are single-precision values given by their bits: 0.21 and 0.42 are one unit in
// the last place above the nearest single, and the layouts depend on every bit.
constexpr float k0_01 = std::bit_cast<float>(0x3C23D70Au);
constexpr float k0_03 = std::bit_cast<float>(0x3CF5C28Fu);
constexpr float k0_05 = std::bit_cast<float>(0x3D4CCCCDu);
constexpr float k0_07 = std::bit_cast<float>(0x3D8F5C29u);
constexpr float k0_09 = std::bit_cast<float>(0x3DB851ECu);
constexpr float k0_1 = std::bit_cast<float>(0x3DCCCCCDu);
constexpr float k0_15 = std::bit_cast<float>(0x3E19999Au);
constexpr float k0_2 = std::bit_cast<float>(0x3E4CCCCDu);
constexpr float k0_21 = std::bit_cast<float>(0x3E570A3Eu);
constexpr float k0_27 = std::bit_cast<float>(0x3E8A3D71u);
constexpr float k0_3 = std::bit_cast<float>(0x3E99999Au);
constexpr float k0_4 = std::bit_cast<float>(0x3ECCCCCDu);
constexpr float k0_42 = std::bit_cast<float>(0x3ED70A3Eu);
constexpr float k0_45 = std::bit_cast<float>(0x3EE66666u);
constexpr float k0_6 = std::bit_cast<float>(0x3F19999Au);
constexpr float k0_65 = std::bit_cast<float>(0x3F266666u);
constexpr float k0_85 = std::bit_cast<float>(0x3F59999Au);

// A client size times a fraction, in double: exact for 16-bit sizes.
double Of(unsigned size, float fraction) {
  return static_cast<double>(size) * static_cast<double>(fraction);
}
// Rounded to single precision where the layout rounds.
double Single(double v) {
  return static_cast<double>(static_cast<float>(v));
}
// Truncated toward zero.
int Whole(double v) {
  return static_cast<int>(v);
}

}  // namespace

MainLayout ComputeLayout(unsigned width, unsigned height) {
  const double W = width;
  const double H = height;
  const int mx = Whole(Of(width, k0_01));
  const int my = Whole(Of(height, k0_01));
  const int bw = Whole(Of(width, k0_09));
  const int by = Whole(H - Of(height, k0_01));
  const int rx = Whole(W - Single(Of(width, k0_01)));
  const int cx = Whole(Of(width, k0_2));
  const int cy = Whole(Of(height, k0_03));
  const int cr = Whole(cx + Single(Of(width, k0_3)));
  const int cb = Whole(cy + Single(Of(height, k0_05)));
  const int sx = Whole(Of(width, k0_6));
  const int sr = Whole(sx + Single(Of(width, k0_3)));
  const int fx = Whole(Of(width, k0_15));
  const int fr = Whole(fx + Single(Of(width, k0_05)));
  const int ex = Whole(Of(width, k0_21));
  const int er = Whole(ex + Single(Of(width, k0_65)));
  const int wy = Whole(Of(height, k0_15));
  const int wb = Whole(wy + Of(height, k0_07));
  const int py = Whole(Of(height, k0_27));
  const int pb = Whole(py + Single(Of(height, k0_1)));
  const int qy = Whole(Of(height, k0_42));
  const int qb = Whole(qy + Of(height, k0_4));
  const int lx = Whole(Of(width, k0_45));
  const int ly = Whole(Of(height, k0_85));
  const int lr = Whole(lx + Of(width, k0_4));
  const int lb = Whole(ly + Single(Of(height, k0_1)));
  // The hide boxes are as tall as a twentieth of the client height below their row's top.
  auto boxBottom = [&](int rowTop) { return Whole(rowTop + Single(Of(height, k0_05))); };

  MainLayout l;
  l.prevButton = {mx, my, mx + bw, by};
  l.nextButton = {rx - bw, my, rx, by};
  l.counterLabel = {cx, cy, cr, cb};
  l.shuffleBox = {sx, cy, sr, cb};
  l.hideWordBox = {fx, wy, fr, boxBottom(wy)};
  l.wordField = {ex, wy, er, wb};
  l.hidePronunciationBox = {fx, py, fr, boxBottom(py)};
  l.pronunciationField = {ex, py, er, pb};
  l.hideMeaningBox = {fx, qy, fr, boxBottom(qy)};
  l.meaningField = {ex, qy, er, qb};
  l.banner = {lx, ly, lr, lb};
  return l;
}

}  // namespace pelmo
