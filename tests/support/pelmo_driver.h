#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/win32_window.h"

namespace pelmo::testing {

// The ids pelmo.exe gives its controls, in creation order.
enum ControlId {
  kPrev = 1500,
  kNext = 1504,
  kShuffle = 1508,
  kWord = 1512,
  kHideWord = 1516,
  kHidePronunciation = 1520,
  kPronunciation = 1524,
  kHideMeaning = 1528,
  kMeaning = 1532,
  kCounter = 1536,
  kBanner = 1540,
  kWordCover = 1544,
  kPronunciationCover = 1548,
  kMeaningCover = 1552,
};

// Drives a real pelmo.exe from this process the way a user would: it starts the program in a
// folder of its own holding the given deck, finds its windows, presses and reads controls.
class PelmoProcess {
 public:
  // `deck` is written as pelmo.csv unless `withDeck` is false (no file at all).
  explicit PelmoProcess(const std::string& deck, bool withDeck = true);
  ~PelmoProcess();
  PelmoProcess(const PelmoProcess&) = delete;
  PelmoProcess& operator=(const PelmoProcess&) = delete;

  // Waits for the main window (true) or for an error box (false); gives up after a while.
  bool WaitForMainWindow();
  HWND WaitForMessageBox();

  HWND main() const { return main_; }
  DWORD processId() const { return process_.dwProcessId; }
  HWND Control(int id) const { return GetDlgItem(main_, id); }
  std::string Text(HWND window) const;
  std::string Text(int id) const { return Text(Control(id)); }
  void Click(int id) const;
  bool Checked(int id) const;
  bool Visible(int id) const;

  // Closes the main window and returns the exit code (or -1 if the process did not end).
  int Close();
  int WaitForExit(DWORD milliseconds = 20000);
  bool Running() const;

  const std::string& folder() const { return folder_; }
  std::string DeckBytesNow() const;
  double SecondsSinceStart() const;

 private:
  std::string folder_;
  PROCESS_INFORMATION process_ = {};
  LARGE_INTEGER started_ = {};
  HWND main_ = nullptr;
};

// Top-level windows of one class that belong to a process.
std::vector<HWND> WindowsOfProcess(DWORD processId, const char* className);

// Reads the screen (the program's windows are real X windows under Xvfb).
class ScreenShot {
 public:
  explicit ScreenShot(HWND window, bool clientOnly = true);
  COLORREF Pixel(int x, int y) const;
  int width() const { return canvas_ ? canvas_->width() : 0; }
  int height() const { return canvas_ ? canvas_->height() : 0; }
  bool SaveBmp(const std::string& path) const;

 private:
  std::unique_ptr<Canvas> canvas_;
};

}  // namespace pelmo::testing
