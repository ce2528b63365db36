// How panels put their bitmap on screen, and the banner's hover. The window objects' wiring (ids,
// classes, styles, showing and hiding) and the page a banner press opens, the end-to-end test
// shows; which bitmaps are well formed and the mask for a key colour, the packed bitmap tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/win32_window.h"
#include "ui/link_banner.h"

namespace pelmo {
namespace {

constexpr WORD kBannerBitmap = 200;  // 227 x 34: orange lettering and frame on the key green
constexpr COLORREF kKey = RGB(0, 255, 0);
const COLORREF kFace = GetSysColor(COLOR_BTNFACE);

// Away from the parent's corner, so that only the panel's size can matter.
void Make(ImagePanel& panel, HWND parent, int width, int height, WORD bitmap) {
  panel.Create(7, 5, width, height, "", parent, GetModuleHandleA(nullptr));
  panel.Attach();
  panel.LoadBitmapResource(bitmap);
}

TEST(ImagePanel, PaintsItsBitmapStretchedInsideItsMarginOverButtonFace) {
  testing::TestParent parent;
  // Bitmap (210, the cover: a grey rounded rectangle; 999: none), width, height, margin.
  const int cases[][4] = {
      {999, 40, 30, 0}, {210, 400, 50, 0}, {210, 10, 80, 0}, {210, 1, 1, 0}, {210, 227, 34, -3}};
  for (const auto& [bitmap, width, height, margin] : cases) {
    ImagePanel panel;
    Make(panel, parent.window, width, height, static_cast<WORD>(bitmap));
    panel.margin = margin;
    testing::Canvas canvas(width, height);
    panel.Paint(canvas.dc);
    const RECT image = {-margin, -margin, width + margin,
                        bitmap == 999 ? -margin : height + margin};
    const int imageArea = (image.right - image.left) * (image.bottom - image.top);
    EXPECT_EQ(canvas.Count(kFace, image), 0) << width << "x" << height;
    EXPECT_EQ(canvas.Count(kFace), width * height - imageArea) << width << "x" << height;
    EXPECT_EQ(canvas.Count(RGB(1, 2, 3)), 0) << "every pixel painted";
  }
}

TEST(LinkBanner, RestsInsetForItsRecordedSizeAndGrowsUnderThePointerUntilItLeaves) {
  testing::TestParent parent;
  LinkBanner banner;
  Make(banner, parent.window, 200, 100, kBannerBitmap);
  banner.SetTransparentColor(kKey);
  auto pointAt = [&](POINT p) {  // moves the real pointer over the parent's client area
    ClientToScreen(parent.window, &p);
    SetCursorPos(p.x, p.y);
  };
  pointAt({5, 300});
  banner.SetBounds(20, 30, 247, 64);
  EXPECT_EQ(banner.margin, -3);
  RECT moved, expected = {20, 30, 247, 64};
  GetWindowRect(banner.window, &moved);
  MapWindowPoints(HWND_DESKTOP, parent.window, reinterpret_cast<POINT*>(&moved), 2);
  EXPECT_TRUE(EqualRect(&moved, &expected));
  pointAt({30, 40});
  EXPECT_TRUE(testing::WaitUntil([&] { return banner.margin == 0; }));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32516)));  // IDC_UPARROW
  banner.SetBounds(20, 30, 420, 80);  // a resize rests again, for the new size
  EXPECT_EQ(banner.margin, -5);
  pointAt({31, 40});
  EXPECT_TRUE(testing::WaitUntil([&] { return banner.margin == 0; }));
  testing::Canvas canvas(400, 50);
  banner.Paint(canvas.dc);
  // Enlarged, the banner has neither pure green nor black: the key turned transparent, and the mask
  // lies exactly over the image (key pixels are black in the image, opaque ones in the mask).
  EXPECT_EQ(canvas.Count(kKey) + canvas.Count(RGB(0, 0, 0)), 0);
  EXPECT_LT(canvas.Count(kFace), 400 * 50);
  pointAt({5, 300});  // over the parent, whose class has no cursor
  EXPECT_TRUE(testing::WaitUntil([&] { return banner.margin == -5; }));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
}

}  // namespace
}  // namespace pelmo
