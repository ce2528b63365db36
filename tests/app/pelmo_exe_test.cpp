// The whole program, started as a separate process and driven like a user drives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/pelmo_driver.h"

namespace pelmo {
namespace {

using testing::PelmoProcess;
using enum testing::ControlId;

const std::string kFiveRows = "a,a0,one\r\nb,b,two\r\nc,k,three\r\nd,d,four\r\ne,e0,five\r\n";

// Starts the program on a deck and insists that its main window appears.
#define START(name, deck)  \
  PelmoProcess name(deck); \
  ASSERT_TRUE(name.WaitForMainWindow())

TEST(PelmoExe, StartsOnTheFirstCardWithEverythingShown) {
  START(app, "cat,k[ae!]t,neko\r\ndog,do1!g,inu\r\n");
  EXPECT_EQ(app.Text(kWord), "cat");
  EXPECT_EQ(app.Text(kMeaning), "neko");
  EXPECT_EQ(app.Text(kCounter), "1 / 2");
  EXPECT_EQ(app.Text(kPronunciation), "");  // the view draws; its window text stays empty
  for (int box : {kShuffle, kHideWord, kHidePronunciation, kHideMeaning}) {
    EXPECT_FALSE(app.Checked(box)) << box;
  }
  for (int field : {kWord, kPronunciation, kMeaning}) {
    EXPECT_TRUE(app.Visible(field)) << field;
  }
  for (int cover : {kWordCover, kPronunciationCover, kMeaningCover}) {
    EXPECT_FALSE(app.Visible(cover)) << cover;
  }
  char title[16] = {};
  GetWindowTextA(app.main(), title, sizeof title);
  EXPECT_STREQ(title, "pelmo");
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, CreatesItsControlsInOrderWithTheirClassesAndStyles) {
  START(app, kFiveRows);
  const struct {
    int id;
    const char* className;
    DWORD style;  // the bits the program asked for
    const char* text;
  } controls[] = {
      {kPrev, "Button", 0x50000000, "<"},
      {kNext, "Button", 0x50000000, ">"},
      {kShuffle, "Button", 0x50000003, "Shuffle"},
      {kWord, "Edit", 0x50800000, nullptr},
      {kHideWord, "Button", 0x50000003, ""},
      {kHidePronunciation, "Button", 0x50000003, ""},
      {kPronunciation, "Static", 0x50800000, ""},
      {kHideMeaning, "Button", 0x50000003, ""},
      {kMeaning, "Edit", 0x50B00004, nullptr},
      {kCounter, "Static", 0x50000000, nullptr},
      {kBanner, "Static", 0x50000000, ""},
      {kWordCover, "Static", 0x40000000, ""},
      {kPronunciationCover, "Static", 0x40000000, ""},
      {kMeaningCover, "Static", 0x40000000, ""},
  };
  int children = 0;
  for (HWND c = GetWindow(app.main(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ++children;
  }
  EXPECT_EQ(children, 14);
  for (const auto& c : controls) {
    const HWND window = app.Control(c.id);
    ASSERT_NE(window, nullptr) << c.id;
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STRCASEEQ(name, c.className) << c.id;
    // Wine trades an edit's WS_BORDER for a client edge; every other bit must be as asked.
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const DWORD mask = lstrcmpiA(name, "Edit") == 0 ? 0xFF7F000F : 0xFFFF000F;
    EXPECT_EQ(style & mask, c.style & mask) << c.id;
    if (c.text != nullptr) {
      EXPECT_EQ(app.Text(window), c.text) << c.id;
    }
  }
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, OpensCentredOnTheDesktop) {
  START(app, kFiveRows);
  RECT desktop, window;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(app.main(), &window);
  const int dw = desktop.right - desktop.left;
  const int dh = desktop.bottom - desktop.top;
  EXPECT_EQ(window.left, dw / 2 - 320);
  EXPECT_EQ(window.top, dh / 2 - 240);
  EXPECT_EQ(window.right - window.left, 640);
  EXPECT_EQ(window.bottom - window.top, 480);
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, StepsThroughTheCardsWrappingAtBothEnds) {
  START(app, kFiveRows);
  app.Click(kPrev);
  EXPECT_EQ(app.Text(kCounter), "5 / 5");
  EXPECT_EQ(app.Text(kWord), "e");
  app.Click(kNext);
  EXPECT_EQ(app.Text(kCounter), "1 / 5");
  const char* words[] = {"b", "c", "d", "e", "a"};
  for (int i = 0; i < 5; ++i) {
    app.Click(kNext);
    EXPECT_EQ(app.Text(kWord), words[i]);
    EXPECT_EQ(app.Text(kCounter), std::to_string(i == 4 ? 1 : i + 2) + " / 5");
  }
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, ASingleCardStaysOnItself) {
  START(app, "only,o0,one");  // no line end at all
  for (int button : {kNext, kPrev, kNext}) {
    app.Click(button);
    EXPECT_EQ(app.Text(kCounter), "1 / 1");
    EXPECT_EQ(app.Text(kWord), "only");
  }
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, AHiddenFieldStaysHiddenAcrossCards) {
  START(app, kFiveRows);
  const struct {
    int box, field, cover;
  } pairs[] = {{kHideWord, kWord, kWordCover},
               {kHidePronunciation, kPronunciation, kPronunciationCover},
               {kHideMeaning, kMeaning, kMeaningCover}};
  for (const auto& p : pairs) {
    app.Click(p.box);
    EXPECT_TRUE(app.Checked(p.box));
    EXPECT_FALSE(app.Visible(p.field));
    EXPECT_TRUE(app.Visible(p.cover));
    EXPECT_EQ(app.Text(kCounter), "1 / 5");  // hiding never moves
    app.Click(kNext);
    EXPECT_FALSE(app.Visible(p.field));
    EXPECT_TRUE(app.Visible(p.cover));
    app.Click(p.box);
    EXPECT_TRUE(app.Visible(p.field));
    EXPECT_FALSE(app.Visible(p.cover));
    app.Click(kPrev);
  }
  // The hidden word keeps being updated underneath.
  app.Click(kHideWord);
  app.Click(kNext);
  EXPECT_EQ(app.Text(kWord), "b");
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, ShuffleReordersTheCardsAtTheSamePosition) {
  START(app, kFiveRows);
  app.Click(kShuffle);  // first shuffle of the run: 5, 2, 4, 3, 1
  EXPECT_EQ(app.Text(kCounter), "1 / 5");
  EXPECT_EQ(app.Text(kWord), "e");
  EXPECT_EQ(app.Text(kMeaning), "five");
  app.Click(kNext);
  EXPECT_EQ(app.Text(kWord), "b");
  app.Click(kShuffle);  // off: file order at the unchanged position 2
  EXPECT_EQ(app.Text(kCounter), "2 / 5");
  EXPECT_EQ(app.Text(kWord), "b");
  app.Click(kNext);
  app.Click(kNext);
  app.Click(kShuffle);  // second shuffle: 1, 3, 4, 5, 2; position 4
  EXPECT_EQ(app.Text(kWord), "e");
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, ResolvesEscapesInTheMeaningOnly) {
  START(app, "a\\nb,x\\ny,line\\nbreak \\\\ and \\\\\\\\ \\x\r\n");
  EXPECT_EQ(app.Text(kWord), "a\\nb");
  EXPECT_EQ(app.Text(kMeaning), "line\r\nbreak \\ and \\ \\x");
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, AColumnTheCardLacksShowsEmpty) {
  START(app, "full,ka0!t,meaning\r\ntwo,k\r\none\r\n,,\r\n");
  app.Click(kNext);  // two fields: no meaning
  EXPECT_EQ(app.Text(kWord), "two");
  EXPECT_EQ(app.Text(kMeaning), "");
  app.Click(kNext);  // one field: no pronunciation and no meaning
  EXPECT_EQ(app.Text(kWord), "one");
  EXPECT_EQ(app.Text(kMeaning), "");
  {
    // The pronunciation box is white inside its border: no glyph of an earlier card.
    RECT r;
    GetWindowRect(app.Control(kPronunciation), &r);
    MapWindowPoints(HWND_DESKTOP, app.main(), reinterpret_cast<POINT*>(&r), 2);
    testing::ScreenShot shot(app.main());
    int ink = 0;
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
      for (int x = r.left + 1; x < r.right - 1; ++x) {
        ink += shot.Pixel(x, y) != RGB(255, 255, 255);
      }
    }
    EXPECT_EQ(ink, 0);
  }
  app.Click(kNext);  // three empty fields
  EXPECT_EQ(app.Text(kWord), "");
  EXPECT_EQ(app.Text(kMeaning), "");
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExe, KeysAndClicksOnTheWindowItselfChangeNothing) {
  START(app, kFiveRows);
  const UINT messages[] = {WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN};
  for (UINT m : messages) {
    SendMessageA(app.main(), m, VK_RIGHT, MAKELPARAM(3, 3));
  }
  SendMessageA(app.main(), WM_COMMAND, 9999, 0);  // an id no control has
  EXPECT_EQ(app.Text(kCounter), "1 / 5");
  EXPECT_EQ(app.Text(kWord), "a");
  EXPECT_EQ(app.Close(), 0);
}

void ExpectErrorBox(PelmoProcess& app, const std::string& text) {
  const HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(app.Text(GetDlgItem(box, 0xFFFF)), text);
  char caption[32] = {};
  GetWindowTextA(box, caption, sizeof caption);
  EXPECT_STREQ(caption, "\x83\x47\x83\x89\x81\x5b");  // エラー
  EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);      // OK only
  for (HWND main : testing::WindowsOfProcess(app.processId(), "pelmo fenwa")) {
    EXPECT_FALSE(IsWindowVisible(main)) << "no card is ever shown";
  }
  SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(app.WaitForExit(), 0);
}

TEST(PelmoExe, AMissingDeckIsReportedAndTheProgramEnds) {
  PelmoProcess app("", false);
  ExpectErrorBox(app, "pelmo.csv\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42");
}

TEST(PelmoExe, ADeckWithoutCardsIsReportedAndTheProgramEnds) {
  const std::string noData =
      "CSV\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc9\x83\x66\x81\x5b\x83\x5e\x82\xaa\x82\xa0\x82\xe8"
      "\x82\xdc\x82\xb9\x82\xf1\x81\x42";
  for (const char* deck : {"", "\r\nword,w,m\r\n"}) {
    PelmoProcess app(deck);
    ExpectErrorBox(app, noData);
  }
}

}  // namespace
}  // namespace pelmo
