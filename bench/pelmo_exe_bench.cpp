// pelmo.exe under real conditions: how long from process start until the first card is on
// screen, for a one-row deck and for large ones, and how long a ">" click takes to repaint.
// Runs as a Windows program (under Wine here), driving the real program like the tests do.
// `pelmo_exe_bench --screenshot DECK OUT.bmp` instead saves the picture for the README.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/deck_generator.h"
#include "tests/support/pelmo_driver.h"

namespace {

using pelmo::testing::PelmoProcess;

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Deck(size_t rows) {
  const std::string path = "bench-deck-" + std::to_string(rows) + ".csv";
  pelmo::bench::WriteDeck(path, rows);
  std::string bytes = ReadFile(path);
  DeleteFileA(path.c_str());
  return bytes;
}

// Seconds from CreateProcess until the program's first card has been painted: its main window
// is up and its message queue has gone idle, which happens only after the pending paints.
double StartUp(const std::string& deck) {
  std::ofstream("pelmo.csv", std::ios::binary) << deck;  // written before the clock starts
  const double start = Seconds();
  PelmoProcess app(deck, false);
  if (!app.WaitForMainWindow()) {
    return -1;
  }
  const double seconds = Seconds() - start;  // the window is up and start-up has gone idle
  app.Close();
  return seconds;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// The sample deck's second card with its meaning hidden, the whole window as on screen.
int SaveScreenshot(const std::string& deckPath, const std::string& out) {
  PelmoProcess app(ReadFile(deckPath));
  if (!app.WaitForMainWindow()) {
    return 1;
  }
  app.Click(pelmo::testing::kNext);
  app.Click(pelmo::testing::kHideMeaning);
  RECT r;
  GetWindowRect(app.main(), &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  pelmo::testing::Canvas canvas(width, height);
  // Wait for the cover to show in the meaning's place: the program paints on its own time.
  if (!app.WaitForPixels(pelmo::testing::kMeaning, [](const pelmo::testing::Canvas& c) {
        return c.Pixel(c.width / 2, c.height / 2) == RGB(128, 128, 128);
      })) {
    return 1;
  }
  HDC screen = GetDC(nullptr);
  canvas.CopyFrom(screen, r.left, r.top);
  ReleaseDC(nullptr, screen);
  std::ofstream file(out, std::ios::binary);
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  BITMAPFILEHEADER header = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  header.bfSize = header.bfOffBits + rowBytes * static_cast<uint32_t>(height);
  const BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  file.write(reinterpret_cast<const char*>(&header), sizeof header);
  file.write(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(rowBytes, '\0');
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = canvas.Pixel(x, y);
      row[3 * x] = static_cast<char>(GetBValue(c));
      row[3 * x + 1] = static_cast<char>(GetGValue(c));
      row[3 * x + 2] = static_cast<char>(GetRValue(c));
    }
    file.write(row.data(), rowBytes);
  }
  app.Close();
  return file ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--screenshot") {
    return SaveScreenshot(argv[2], argv[3]);
  }
  const int kRuns = 5;
  const size_t sizes[] = {1, 100000, 1000000};
  double medians[3] = {};
  std::printf("start-up until the first card is painted (median of %d runs):\n", kRuns);
  for (int s = 0; s < 3; ++s) {
    const std::string deck = Deck(sizes[s]);
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
      times.push_back(StartUp(deck));
    }
    medians[s] = Median(times);
    std::printf("  %7zu rows (%5.1f MB): %6.0f ms\n", sizes[s], deck.size() / 1e6,
                medians[s] * 1000);
  }
  std::printf("  1,000,000 rows minus one row: %.0f ms (goal: within 1000 ms)\n",
              (medians[2] - medians[0]) * 1000);

  // A ">" click: the command, then every window it invalidated painted again, synchronously.
  PelmoProcess app(Deck(1000));
  if (!app.WaitForMainWindow()) {
    std::printf("pelmo.exe did not start\n");
    return 1;
  }
  const HWND next = app.Control(pelmo::testing::kNext);
  const HWND view = app.Control(pelmo::testing::kPronunciation);
  std::vector<double> clicks;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < 500; ++i) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    SendMessageA(next, BM_CLICK, 0, 0);
    RedrawWindow(app.main(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    QueryPerformanceCounter(&after);
    if (GetUpdateRect(view, nullptr, FALSE)) {
      std::printf("the view was not repainted after click %d\n", i);
      return 1;
    }
    clicks.push_back(static_cast<double>(after.QuadPart - before.QuadPart) * 1000 /
                     static_cast<double>(frequency.QuadPart));
  }
  std::printf("'>' click until the pronunciation view has repainted, 500 clicks:\n");
  std::printf("  median %.2f ms, 99th percentile %.2f ms (goal: median within 5 ms)\n",
              Median(clicks), Percentile(clicks, 0.99));
  app.Close();
  return 0;
}
