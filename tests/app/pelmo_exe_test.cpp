// The real pelmo.exe driven from a second process, one deck and one scenario per process. Only
// the wiring is checked here: what each part does, its own tests show.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <numeric>
#include <random>
#include <tuple>

#include "tests/support/pelmo_driver.h"

namespace pelmo {
namespace {

using namespace pelmo::testing;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kCoverGrey = RGB(128, 128, 128);  // the middle of the cover bitmap
constexpr int kButtons[] = {kPrev, kNext, kShuffle, kHideWord, kHidePronunciation, kHideMeaning};

TEST(PelmoExeOpening, ShowsItsWindowControlsIconAndBannerWhoseClickOpensThePage) {
  PelmoProcess app("cat,k[ae!]t,neko\r\ndog,do1!g,inu\r\n");
  ASSERT_TRUE(app.WaitForMainWindow());
  EXPECT_EQ(app.Text(app.main()), "pelmo");
  RECT desktop, window;
  GetWindowRect(GetDesktopWindow(), &desktop);
  const RECT centred = {desktop.right / 2 - 320, desktop.bottom / 2 - 240, desktop.right / 2 + 320,
                        desktop.bottom / 2 + 240};
  EXPECT_TRUE(WaitUntil(
      [&] { return GetWindowRect(app.main(), &window) && EqualRect(&window, &centred); }));

  // In creation order, ids from 1500 in steps of 4: class, style as asked for, text.
  const std::tuple<const char*, DWORD, const char*> controls[] = {
      {"Button", 0x50000000, "<"},       {"Button", 0x50000000, ">"},
      {"Button", 0x50000003, "Shuffle"}, {"Edit", 0x50800000, "cat"},
      {"Button", 0x50000003, ""},        {"Button", 0x50000003, ""},
      {"Static", 0x50800000, ""},        {"Button", 0x50000003, ""},
      {"Edit", 0x50B00004, "neko"},      {"Static", 0x50000000, "1 / 2"},
      {"Static", 0x50000000, ""},        {"Static", 0x40000000, ""},
      {"Static", 0x40000000, ""},        {"Static", 0x40000000, ""}};
  HWND child = GetWindow(app.main(), GW_CHILD);
  for (int id = kPrev; const auto& [className, style, text] : controls) {
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    // Wine trades an edit's WS_BORDER for a client edge; every other bit must be as asked.
    const DWORD mask = lstrcmpiA(name, "Edit") == 0 ? 0xFF7F000F : 0xFFFF000F;
    EXPECT_EQ(GetDlgCtrlID(child), id);
    EXPECT_STRCASEEQ(name, className) << id;
    EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & mask, style & mask) << id;
    EXPECT_EQ(app.Text(child), text) << id;
    child = GetWindow(child, GW_HWNDNEXT);
    id += 4;
  }
  EXPECT_EQ(child, nullptr) << "no other child windows";

  // A message hook runs the probe inside the program, where its window class can be read.
  const HMODULE probe = LoadLibraryA(PELMO_PROBE);
  const HHOOK hook = SetWindowsHookExA(
      WH_GETMESSAGE,
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "ClassIconProbe"))),
      probe, GetWindowThreadProcessId(app.main(), nullptr));
  MSG reply = {};
  PeekMessageA(&reply, nullptr, 0, 0, PM_NOREMOVE);  // gives this thread a queue for the reply
  PostMessageA(app.main(), RegisterWindowMessageA("pelmo class icon"), GetCurrentThreadId(), 0);
  EXPECT_TRUE(WaitUntil([&] { return PeekMessageA(&reply, nullptr, WM_APP, WM_APP, PM_REMOVE); }));
  EXPECT_EQ(reply.wParam, 1u) << "the window class has the program's icon";
  UnhookWindowsHookEx(hook);

  EXPECT_TRUE(app.WaitForPixels(kBanner, [](const Canvas& c) {
    return c.Count(RGB(226, 101, 10)) > 0 && c.Count(RGB(0, 255, 0)) == 0;
  })) << "the banner's lettering, its key colour transparent";
  const char* log = std::getenv("PELMO_BROWSER_LOG");  // the stand-in browser writes there
  DeleteFileA(log);
  PostMessageA(app.Control(kBanner), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(WaitUntil([&] { return FileBytes(log).ends_with('\n'); }));
  EXPECT_EQ(FileBytes(log), PELMO_HOMEPAGE "\n");
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExeClicks, EveryClickShowsTheCardAndFieldsAModelExpects) {
  // Escapes resolved in the meaning only, a card without meaning, a word alone, an empty card.
  PelmoProcess app(
      "a\\nb,x\\ny,line\\nbreak \\\\ and \\\\\\\\ \\x\r\ntwo,k\r\none\r\n,,\r\ne,e0,five\r\n");
  const char* words[] = {"a\\nb", "two", "one", "", "e"};
  const char* meanings[] = {"line\r\nbreak \\ and \\ \\x", "", "", "", "five"};
  const bool drawn[] = {true, true, false, false, true};  // any glyph of the pronunciation
  const int boxes[] = {kHideWord, kHidePronunciation, kHideMeaning};
  const int fields[] = {kWord, kPronunciation, kMeaning};
  const int covers[] = {kWordCover, kPronunciationCover, kMeaningCover};
  ASSERT_TRUE(app.WaitForMainWindow());
  int order[] = {0, 1, 2, 3, 4}, index = 0;
  uint32_t generator = 1;  // the program's, transcribed: one for the whole run, starting at 1
  bool shuffled = false, hidden[3] = {};
  std::mt19937 random(2024);
  for (int step = 0; step < 150; ++step) {
    const int card = order[index];
    SCOPED_TRACE("step " + std::to_string(step));
    ASSERT_EQ(app.Text(kCounter), std::to_string(index + 1) + " / 5");
    ASSERT_EQ(app.Text(kWord), words[card]);
    ASSERT_EQ(app.Text(kMeaning), meanings[card]);
    ASSERT_EQ(app.Checked(kShuffle), shuffled);
    for (int f = 0; f < 3; ++f) {
      ASSERT_EQ(app.Checked(boxes[f]), hidden[f]) << f;
      ASSERT_EQ(app.Visible(fields[f]), !hidden[f]) << f;
      ASSERT_EQ(app.Visible(covers[f]), hidden[f]) << f;
      // The cover where a field is hidden; the card's own pronunciation, nothing of another's.
      ASSERT_TRUE(app.WaitForPixels(fields[f], [&](const Canvas& c) {
        return hidden[f] ? c.Pixel(c.width / 2, c.height / 2) == kCoverGrey
                         : f != 1 || (c.Count(kWhite) < c.width * c.height) == drawn[card];
      })) << f;
    }
    const int action = static_cast<int>(random() % 6);
    app.Click(kButtons[action]);
    index = (index + (action == 0 ? 4 : action == 1 ? 1 : 0)) % 5;
    if (action >= 3) {
      hidden[action - 3] = !hidden[action - 3];
    }
    if (action == 2 && !(shuffled = !shuffled)) {
      std::iota(order, order + 5, 0);  // off: file order again
    }
    for (int k = 1; action == 2 && shuffled && k < 5; ++k) {  // on: the file order shuffled
      generator = generator * 214013u + 2531011u;
      std::swap(order[k], order[((generator >> 16) & 0x7FFFu) % (k + 1)]);
    }
  }
  EXPECT_EQ(app.Close(), 0);
}

TEST(PelmoExeLoadFailure, AMissingOrCardlessDeckIsReportedInABoxAndTheProgramEnds) {
  // Whether there is a pelmo.csv (an empty one), the text shown.
  const std::pair<bool, std::string> cases[] = {
      {false, "pelmo.csv\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42"},
      {true,
       "CSV\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc9\x83\x66\x81\x5b\x83\x5e\x82\xaa\x82\xa0"
       "\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42"}};
  for (const auto& [withDeck, text] : cases) {
    PelmoProcess app("", withDeck);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {  // the box shows before its text and button exist
      box = app.VisibleWindow("#32770");
      return box && GetDlgItem(box, IDOK) && GetDlgItem(box, 0xFFFF);
    }));
    EXPECT_EQ(app.Text(GetDlgItem(box, 0xFFFF)), text);
    EXPECT_EQ(app.Text(box), "\x83\x47\x83\x89\x81\x5b");  // エラー
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);         // OK only
    EXPECT_EQ(app.VisibleWindow("pelmo fenwa"), nullptr) << "no card is ever shown";
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0);
  }
}

// Every hostile line a card: NUL bytes, notation of stray bytes and brackets, a 5 MB line (its bulk
// in a column held but never shown), lines of random bytes, a lone lead byte at the very end. The
// program must count them all, paint each, survive clicks and leave the file as it was.
TEST(PelmoExeHostileDeck, StartsCountsSurvivesClicksAndLeavesTheFileAlone) {
  std::string deck = std::string("a\0b,c\0,\0\r\n\0\0\0,x\r\n", 17) +
                     "x,[\x82]]\x81[[ng,\x83\x5cn\r\ny,(((((((,\\\\\r\nbig,a0!,\\n\\\\\\n," +
                     std::string(5 << 20, 'q');
  int count = 5;
  std::mt19937 random(7);
  for (; count < 105; ++count) {  // no line end, no end-of-file byte
    deck += "\r\n";
    for (size_t n = 1 + random() % 60; n > 0; --n) {
      const char c = static_cast<char>(random());
      deck += c == '\n' || c == '\x1a' ? 'x' : c;
    }
  }
  deck += "\r\n\x82";
  ++count;
  PelmoProcess app(deck);
  ASSERT_TRUE(app.WaitForMainWindow());
  for (int click = 0, index = 0; click < count + 200; ++click) {  // each card in turn, then any
    ASSERT_EQ(app.Text(kCounter), std::to_string(index + 1) + " / " + std::to_string(count));
    const int action = click < count ? 1 : static_cast<int>(random() % 6);
    app.Click(kButtons[action]);
    index = (index + (action == 0 ? count - 1 : action == 1 ? 1 : 0)) % count;
    RedrawWindow(app.main(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  EXPECT_EQ(app.Close(), 0);
  EXPECT_EQ(FileBytes("pelmo.csv"), deck);
}

}  // namespace
}  // namespace pelmo
