#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/win32_window.h"
#include "ui/link_banner.h"

namespace pelmo {
namespace {

constexpr WORD kBanner = 200;
constexpr COLORREF kKey = RGB(0, 255, 0);

struct ShellCall {
  std::string verb;
  std::string file;
  int show;
};
std::vector<ShellCall> shellCalls;

HINSTANCE WINAPI RecordShell(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show) {
  shellCalls.push_back({verb, file, show});
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

class LinkBannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shellCalls.clear();
    previous_ = SetShellOpenFunction(&RecordShell);
  }
  void TearDown() override { SetShellOpenFunction(previous_); }

  void Make(LinkBanner& banner) {
    banner.Create(50, 10, 200, 100, "", parent_.window, GetModuleHandleA(nullptr));
    banner.Attach();
    banner.LoadBitmapResource(kBanner);
    banner.SetTransparentColor(kKey);
  }

  testing::TestParent parent_;

 private:
  ShellOpenFunction previous_ = nullptr;
};

TEST(RestMargin, IsATenthOfTheSmallerSideAndAtLeastOnePixel) {
  const struct {
    int width, height, margin;
  } cases[] = {{227, 34, -3}, {400, 50, -5}, {50, 400, -5}, {9, 300, -1}, {300, 9, -1},
               {10, 10, -1},  {19, 40, -1},  {20, 20, -2},  {0, 0, -1},   {65535, 65535, -6553}};
  for (const auto& c : cases) {
    EXPECT_EQ(RestMarginFor(c.width, c.height), c.margin) << c.width << "x" << c.height;
  }
}

TEST_F(LinkBannerTest, RestsWithMarginMinusOneBeforeTheFirstResize) {
  LinkBanner banner;
  EXPECT_EQ(banner.margin, -1);
  EXPECT_EQ(banner.restMargin, -1);
  ASSERT_NE(banner.tracking, nullptr);
  EXPECT_EQ(banner.tracking->cbSize, sizeof(TRACKMOUSEEVENT));
  EXPECT_EQ(banner.tracking->dwFlags, static_cast<DWORD>(TME_LEAVE));
}

TEST_F(LinkBannerTest, AResizeSetsTheRestMarginFromTheRecordedRectangle) {
  LinkBanner banner;
  Make(banner);
  banner.SetBounds(0, 0, 227, 34);
  EXPECT_EQ(banner.margin, -3);
  banner.SetBounds(0, 0, 400, 50);
  EXPECT_EQ(banner.margin, -5);
  banner.SetBounds(0, 0, 8, 200);
  EXPECT_EQ(banner.margin, -1);
  EXPECT_EQ(banner.restMargin, -1);
}

TEST_F(LinkBannerTest, HoverDrawsFullSizeAndLeavingRestoresTheRestSize) {
  LinkBanner banner;
  Make(banner);
  banner.SetBounds(0, 0, 227, 34);
  SendMessageA(banner.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(banner.margin, 0);
  EXPECT_EQ(banner.tracking->hwndTrack, banner.window);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32516)));
  // A resize while hovered goes back to rest until the mouse moves again.
  banner.SetBounds(0, 0, 400, 50);
  EXPECT_EQ(banner.margin, -5);
  SendMessageA(banner.window, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
  EXPECT_EQ(banner.margin, 0);
  SendMessageA(banner.window, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(banner.margin, -5);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
}

TEST_F(LinkBannerTest, EachPressOpensThePageOnceAndNothingElseDoes) {
  LinkBanner banner;
  Make(banner);
  SendMessageA(banner.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(banner.window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  SendMessageA(banner.window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(banner.window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  ASSERT_EQ(shellCalls.size(), 1u);
  EXPECT_EQ(shellCalls[0].verb, "open");
  EXPECT_EQ(shellCalls[0].file, kHomePageAddress);
  EXPECT_EQ(shellCalls[0].show, SW_SHOW);
  SendMessageA(banner.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(shellCalls.size(), 2u);
  EXPECT_EQ(std::string(kHomePageAddress).rfind("https://", 0), 0u);
}

TEST_F(LinkBannerTest, NoPureGreenEverReachesTheScreen) {
  LinkBanner banner;
  Make(banner);
  ASSERT_TRUE(banner.image.loaded);
  ASSERT_TRUE(banner.image.hasMask);
  for (SIZE size : {SIZE{227, 34}, SIZE{400, 50}, SIZE{100, 15}}) {
    banner.SetBounds(0, 0, size.cx, size.cy);
    for (int margin : {banner.restMargin, 0}) {
      banner.margin = margin;
      testing::Canvas canvas(size.cx, size.cy);
      banner.Paint(canvas.dc);
      int green = 0;
      int lettering = 0;
      for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
          const COLORREF c = canvas.Pixel(x, y);
          green += c == kKey;
          lettering += c != GetSysColor(COLOR_BTNFACE);
        }
      }
      EXPECT_EQ(green, 0) << size.cx << "x" << size.cy << " margin " << margin;
      EXPECT_GT(lettering, 0) << "the address itself is drawn";
    }
  }
}

}  // namespace
}  // namespace pelmo
