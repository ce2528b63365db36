#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "app/layout.h"

namespace pelmo {
namespace {

TEST(ComputeLayout, GivesTheDocumentedRectanglesFor600By400) {
  const MainLayout l = ComputeLayout(600, 400);
  EXPECT_EQ(l.prevButton, (Rect{5, 3, 59, 396}));
  EXPECT_EQ(l.nextButton, (Rect{540, 3, 594, 396}));
  EXPECT_EQ(l.counterLabel, (Rect{120, 11, 300, 31}));
  EXPECT_EQ(l.shuffleBox, (Rect{360, 11, 540, 31}));
  EXPECT_EQ(l.hideWordBox, (Rect{90, 60, 120, 80}));
  EXPECT_EQ(l.wordField, (Rect{126, 60, 516, 88}));
  EXPECT_EQ(l.hidePronunciationBox, (Rect{90, 108, 120, 128}));
  EXPECT_EQ(l.pronunciationField, (Rect{126, 108, 516, 148}));
  EXPECT_EQ(l.hideMeaningBox, (Rect{90, 168, 120, 188}));
  EXPECT_EQ(l.meaningField, (Rect{126, 168, 516, 328}));
  EXPECT_EQ(l.banner, (Rect{269, 340, 509, 380}));
}

// The rule written out once more, formula by formula, from the constants' bits.
float Bits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
double P(unsigned v, uint32_t bits) {
  return double(v) * double(Bits(bits));
}
double S(double v) {
  return double(float(v));
}
int T(double v) {
  return int(v);
}

MainLayout Transcribed(unsigned W, unsigned H) {
  const int mx = T(P(W, 0x3C23D70A)), my = T(P(H, 0x3C23D70A)), bw = T(P(W, 0x3DB851EC));
  const int by = T(H - P(H, 0x3C23D70A)), rx = T(W - S(P(W, 0x3C23D70A)));
  const int cx = T(P(W, 0x3E4CCCCD)), cy = T(P(H, 0x3CF5C28F));
  const int cr = T(cx + S(P(W, 0x3E99999A))), cb = T(cy + S(P(H, 0x3D4CCCCD)));
  const int sx = T(P(W, 0x3F19999A)), sr = T(sx + S(P(W, 0x3E99999A)));
  const int fx = T(P(W, 0x3E19999A)), fr = T(fx + S(P(W, 0x3D4CCCCD)));
  const int ex = T(P(W, 0x3E570A3E)), er = T(ex + S(P(W, 0x3F266666)));
  const int wy = T(P(H, 0x3E19999A)), wb = T(wy + P(H, 0x3D8F5C29));
  const int py = T(P(H, 0x3E8A3D71)), pb = T(py + S(P(H, 0x3DCCCCCD)));
  const int qy = T(P(H, 0x3ED70A3E)), qb = T(qy + P(H, 0x3ECCCCCD));
  const int lx = T(P(W, 0x3EE66666)), ly = T(P(H, 0x3F59999A));
  const int lr = T(lx + P(W, 0x3ECCCCCD)), lb = T(ly + S(P(H, 0x3DCCCCCD)));
  const double h05 = S(P(H, 0x3D4CCCCD));
  MainLayout l;
  l.prevButton = {mx, my, mx + bw, by};
  l.nextButton = {rx - bw, my, rx, by};
  l.counterLabel = {cx, cy, cr, cb};
  l.shuffleBox = {sx, cy, sr, cb};
  l.hideWordBox = {fx, wy, fr, T(wy + h05)};
  l.wordField = {ex, wy, er, wb};
  l.hidePronunciationBox = {fx, py, fr, T(py + h05)};
  l.pronunciationField = {ex, py, er, pb};
  l.hideMeaningBox = {fx, qy, fr, T(qy + h05)};
  l.meaningField = {ex, qy, er, qb};
  l.banner = {lx, ly, lr, lb};
  return l;
}

TEST(ComputeLayout, MatchesTheRuleAtEverySixteenBitSize) {
  int mismatches = 0;
  for (unsigned v = 0; v <= 65535 && mismatches < 5; ++v) {
    for (unsigned other : {0u, 480u, 65535u}) {
      if (!(ComputeLayout(v, other) == Transcribed(v, other))) {
        ADD_FAILURE() << "width " << v << ", height " << other;
        ++mismatches;
      }
      if (!(ComputeLayout(other, v) == Transcribed(other, v))) {
        ADD_FAILURE() << "width " << other << ", height " << v;
        ++mismatches;
      }
    }
  }
}

}  // namespace
}  // namespace pelmo
