// pelmo.exe under real conditions: how long from process start until the first card is on
// screen, for a one-row deck and for large ones, and how long a ">" click takes to repaint.
// Runs as a Windows program (under Wine here), driving the real program like the tests do.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/deck_generator.h"
#include "tests/support/pelmo_driver.h"

namespace {

using pelmo::testing::PelmoProcess;

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
  PelmoProcess app(deck);
  if (!app.WaitForMainWindow()) {
    return -1;
  }
  const double seconds = app.SecondsSinceStart();
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

}  // namespace

int main() {
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
