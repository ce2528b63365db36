#include <gtest/gtest.h>
#include <windows.h>

#include "tests/support/win32_window.h"
#include "ui/image_panel.h"

namespace pelmo {
namespace {

// Resources of this test program (see make_test_bitmaps.py).
constexpr WORD kSolid = 601;       // 8 x 8 of (10, 20, 30)
constexpr WORD kHalfKey = 602;     // 6 x 4: left half (10, 20, 30), right half two key entries
constexpr WORD kOtherSolid = 608;  // 4 x 4 of (200, 100, 50)
constexpr COLORREF kColor = RGB(10, 20, 30);
constexpr COLORREF kKey = RGB(0, 255, 0);

COLORREF ButtonFace() {
  return GetSysColor(COLOR_BTNFACE);
}

class ImagePanelTest : public ::testing::Test {
 protected:
  void Make(ImagePanel& panel, int width, int height) {
    panel.Create(0, 0, width, height, "", parent_.window, GetModuleHandleA(nullptr));
  }
  testing::TestParent parent_;
};

TEST_F(ImagePanelTest, AnUnloadedPanelPaintsButtonFaceOnly) {
  ImagePanel panel;
  Make(panel, 40, 30);
  testing::Canvas canvas(40, 30);
  panel.Paint(canvas.dc);
  EXPECT_TRUE(canvas.All(0, 0, 40, 30, ButtonFace()));
}

TEST_F(ImagePanelTest, MarginZeroFillsTheControlWhateverItsAspect) {
  for (SIZE size : {SIZE{400, 50}, SIZE{10, 80}, SIZE{1, 1}}) {
    ImagePanel panel;
    Make(panel, size.cx, size.cy);
    panel.LoadBitmapResource(kSolid);
    ASSERT_TRUE(panel.image.loaded);
    testing::Canvas canvas(size.cx, size.cy);
    panel.Paint(canvas.dc);
    EXPECT_TRUE(canvas.All(0, 0, size.cx, size.cy, kColor)) << size.cx << "x" << size.cy;
  }
}

TEST_F(ImagePanelTest, ANegativeMarginInsetsTheImageInsideAButtonFaceBorder) {
  ImagePanel panel;
  Make(panel, 227, 34);
  panel.LoadBitmapResource(kSolid);
  panel.margin = -3;
  testing::Canvas canvas(227, 34);
  panel.Paint(canvas.dc);
  EXPECT_TRUE(canvas.All(3, 3, 224, 31, kColor));
  EXPECT_TRUE(canvas.All(0, 0, 227, 3, ButtonFace()));
  EXPECT_TRUE(canvas.All(0, 31, 227, 34, ButtonFace()));
  EXPECT_TRUE(canvas.All(0, 3, 3, 31, ButtonFace()));
  EXPECT_TRUE(canvas.All(224, 3, 227, 31, ButtonFace()));
}

TEST_F(ImagePanelTest, AKeyColourThatMatchesNothingPaintsOpaque) {
  ImagePanel panel;
  Make(panel, 30, 20);
  panel.LoadBitmapResource(kSolid);
  panel.SetTransparentColor(RGB(1, 2, 3));
  ASSERT_TRUE(panel.image.hasMask);
  for (uint32_t i = 0; i < panel.image.pixelBytes; ++i) {
    ASSERT_EQ(panel.image.mask[i], 0) << i;
  }
  testing::Canvas canvas(30, 20);
  panel.Paint(canvas.dc);
  EXPECT_TRUE(canvas.All(0, 0, 30, 20, kColor));
}

TEST_F(ImagePanelTest, EveryPaletteEntryOfTheKeyColourBecomesTransparent) {
  ImagePanel panel;
  Make(panel, 60, 40);
  panel.LoadBitmapResource(kHalfKey);
  panel.SetTransparentColor(kKey);
  // Both key entries are blackened in the image; the mask header is black then white.
  const uint8_t* palette = panel.image.imageHeader + 40;
  for (int entry : {7, 9}) {
    EXPECT_EQ(palette[4 * entry] | palette[4 * entry + 1] | palette[4 * entry + 2], 0) << entry;
  }
  const uint8_t* maskPalette = panel.image.maskHeader + 40;
  EXPECT_EQ(maskPalette[0] | maskPalette[1] | maskPalette[2] | maskPalette[3], 0);
  EXPECT_EQ(maskPalette[4] & maskPalette[5] & maskPalette[6], 255);
  testing::Canvas canvas(60, 40);
  panel.Paint(canvas.dc);
  EXPECT_TRUE(canvas.All(0, 0, 30, 40, kColor));
  EXPECT_TRUE(canvas.All(30, 0, 60, 40, ButtonFace()));
}

TEST_F(ImagePanelTest, AMissingOrMalformedBitmapLeavesThePanelUnloaded) {
  // Truncated, 24-bit, 16-colour, no biSizeImage, biSizeImage too small, and no such resource.
  for (WORD id : {603, 604, 605, 606, 607, 999}) {
    ImagePanel panel;
    Make(panel, 20, 20);
    panel.LoadBitmapResource(id);
    panel.SetTransparentColor(kKey);
    EXPECT_FALSE(panel.image.loaded) << id;
    EXPECT_FALSE(panel.image.hasMask) << id;
    testing::Canvas canvas(20, 20);
    panel.Paint(canvas.dc);
    EXPECT_TRUE(canvas.All(0, 0, 20, 20, ButtonFace())) << id;
  }
}

TEST_F(ImagePanelTest, AFailedLoadKeepsTheImageAlreadyLoaded) {
  ImagePanel panel;
  Make(panel, 20, 20);
  panel.LoadBitmapResource(kSolid);
  panel.LoadBitmapResource(603);
  testing::Canvas canvas(20, 20);
  panel.Paint(canvas.dc);
  EXPECT_TRUE(canvas.All(0, 0, 20, 20, kColor));
  panel.LoadBitmapResource(kOtherSolid);
  EXPECT_EQ(panel.image.width, 4);
  panel.Paint(canvas.dc);
  EXPECT_TRUE(canvas.All(0, 0, 20, 20, RGB(200, 100, 50)));
}

TEST_F(ImagePanelTest, WmPaintPaintsTheWindowThroughTheObject) {
  ImagePanel panel;
  Make(panel, 40, 30);
  panel.Attach();
  panel.LoadBitmapResource(kSolid);
  InvalidateRect(panel.window, nullptr, TRUE);
  UpdateWindow(panel.window);
  // Nothing left to paint: the object's WM_PAINT validated the window.
  EXPECT_FALSE(GetUpdateRect(panel.window, nullptr, FALSE));
}

}  // namespace
}  // namespace pelmo
