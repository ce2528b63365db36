// Bad decks, random clicks, the banner's link and the screenshot of the sample deck.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/pelmo_driver.h"
#include "wordlist/load_failure.h"
#include "wordlist/word_list.h"

namespace pelmo {
namespace {

using testing::PelmoProcess;
using enum testing::ControlId;

uint32_t randomState = 12345;
uint32_t Random() {
  randomState = randomState * 1664525u + 1013904223u;
  return randomState >> 8;
}

void Ignore(const char*) {}

// How many cards the program must count, by the program's own loader.
int CardsIn(const std::string& deck) {
  const char* name = "count-check.csv";
  {
    std::ofstream out(name, std::ios::binary);
    out.write(deck.data(), static_cast<std::streamsize>(deck.size()));
  }
  const LoadFailureHandler previous = SetLoadFailureHandler(&Ignore);
  WordList list;
  list.Load(name);
  SetLoadFailureHandler(previous);
  DeleteFileA(name);
  return list.RowCount();
}

std::string RandomBytes(size_t size, bool withLineEnds) {
  std::string bytes;
  for (size_t i = 0; i < size; ++i) {
    char c = static_cast<char>(Random() & 0xFF);
    // Keep empty lines and Ctrl-Z rare, so there is more than one card to click through.
    if (c == '\n' && (!withLineEnds || Random() % 4 != 0)) {
      c = 'x';
    }
    if (c == '\x1a' || (c == '\r' && Random() % 2 == 0)) {
      c = 'y';
    }
    bytes += c;
  }
  return bytes;
}

std::string ManyRows(int count) {
  std::string deck;
  for (int i = 0; i < count; ++i) {
    deck += "w" + std::to_string(i) + ",ka0!t,\x88\xd3\x96\xa1\r\n";
  }
  return deck;
}

TEST(PelmoExeWithBadDecks, StartsCountsSurvivesClicksAndLeavesTheFileAlone) {
  // Under Wine an edit control takes about a second per megabyte of text it is given, so the
  // deck whose meaning is a megabyte gets fewer clicks; the 5 MB line keeps its bulk in a column
  // that is read and held but never shown.
  const struct {
    const char* what;
    std::string deck;
    int clicks;
  } decks[] = {
      {"random bytes", RandomBytes(20000, true), 1000},
      {"NUL bytes", std::string("a\0b,c\0,\0\r\n\0\0\0,x\r\n", 17), 1000},
      {"a 5 MB line", "big,a0!,\\n\\\\\\n," + std::string(5 << 20, 'q') + "\r\nsmall\r\n", 1000},
      {"a meaning of a megabyte", "w,a0!," + std::string(1 << 20, '\\') + "n\r\nx,k,y\r\n", 40},
      {"a lone lead byte at the end", "cat,k[ae!]t,\x94\x4c\r\n\x82", 1000},
      {"40,000 rows", ManyRows(40000), 1000},
      {"binary notation and brackets", "x,[\x82]]\x81[[ng,\x83\x5cn\r\ny,(((((((,\\\\\r\n", 1000},
  };
  for (const auto& d : decks) {
    SCOPED_TRACE(d.what);
    const int cards = CardsIn(d.deck);
    ASSERT_GT(cards, 0);
    PelmoProcess app(d.deck);
    ASSERT_TRUE(app.WaitForMainWindow());
    EXPECT_EQ(app.Text(kCounter), "1 / " + std::to_string(cards));
    for (int click = 0; click < d.clicks; ++click) {
      const int id = kPrev + 4 * static_cast<int>(Random() % 14);
      if (id == kBanner) {
        continue;  // opens a browser; its own test covers it
      }
      const HWND control = app.Control(id);
      if (Random() % 2 == 0) {
        SendMessageA(control, BM_CLICK, 0, 0);
      } else {
        SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      }
      ASSERT_TRUE(app.Running()) << "after click " << click << " on " << id;
    }
    RedrawWindow(app.main(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const std::string counter = app.Text(kCounter);
    EXPECT_NE(counter.find(" / " + std::to_string(cards)), std::string::npos) << counter;
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(app.DeckBytesNow(), d.deck);
  }
}

TEST(PelmoExeBanner, APressOpensTheMakersPageThroughTheShell) {
  const char* log = std::getenv("PELMO_BROWSER_LOG");
  ASSERT_NE(log, nullptr) << "the test runs with a stand-in browser";
  DeleteFileA(log);
  PelmoProcess app("cat,k[ae!]t,neko\r\n");
  ASSERT_TRUE(app.WaitForMainWindow());
  PostMessageA(app.Control(kBanner), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(app.Control(kBanner), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  std::string opened;
  for (int wait = 0; wait < 200 && opened.empty(); ++wait) {
    Sleep(50);
    std::ifstream in(log, std::ios::binary);
    opened.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_EQ(opened, std::string(PELMO_HOMEPAGE) + "\n");
  EXPECT_EQ(app.Close(), 0);
}

// The sample deck on screen, with the meaning hidden: saved for the README and checked by pixel.
TEST(PelmoExeScreenshot, TheSampleDeckShowsItsFirstCards) {
  std::ifstream in(PELMO_SAMPLE_DECK, std::ios::binary);
  const std::string deck((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(deck.empty());
  PelmoProcess app(deck);
  ASSERT_TRUE(app.WaitForMainWindow());
  app.Click(kNext);
  app.Click(kHideMeaning);
  RECT pronunciation, meaning, banner;
  auto place = [&](int id, RECT& r) {
    GetWindowRect(app.Control(id), &r);
    MapWindowPoints(HWND_DESKTOP, app.main(), reinterpret_cast<POINT*>(&r), 2);
  };
  place(kPronunciation, pronunciation);
  place(kMeaning, meaning);
  place(kBanner, banner);
  const testing::ScreenShot shot(app.main(), false);
  const testing::ScreenShot client(app.main());
  ASSERT_GT(client.width(), 0);
  EXPECT_TRUE(shot.SaveBmp("screenshot.bmp"));

  // The hidden meaning's place shows the cover's grey.
  const int midX = (meaning.left + meaning.right) / 2;
  const int midY = (meaning.top + meaning.bottom) / 2;
  EXPECT_EQ(client.Pixel(midX, midY), RGB(128, 128, 128));
  // The pronunciation box is white inside its border, with ink from client column 6 on.
  int firstInk = -1;
  for (int x = pronunciation.left + 1; x < pronunciation.right - 1 && firstInk < 0; ++x) {
    for (int y = pronunciation.top + 1; y < pronunciation.bottom - 1; ++y) {
      if (client.Pixel(x, y) != RGB(255, 255, 255)) {
        firstInk = x - (pronunciation.left + 1);
        break;
      }
    }
  }
  EXPECT_GE(firstInk, 6);
  EXPECT_EQ(client.Pixel(pronunciation.left + 3, pronunciation.top + 3), RGB(255, 255, 255));
  // No pure green anywhere in the banner.
  int green = 0;
  for (int y = banner.top; y < banner.bottom; ++y) {
    for (int x = banner.left; x < banner.right; ++x) {
      green += client.Pixel(x, y) == RGB(0, 255, 0);
    }
  }
  EXPECT_EQ(green, 0);
  EXPECT_EQ(app.Close(), 0);
}

}  // namespace
}  // namespace pelmo
