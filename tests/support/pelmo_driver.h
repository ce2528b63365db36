#pragma once

#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "tests/support/control_ids.h"
#include "tests/support/win32_window.h"

namespace pelmo::testing {

inline std::string FileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Drives a real pelmo.exe (PELMO_EXE) the way a user would: starts it in the working folder with
// the deck as pelmo.csv (or no such file), finds its windows, presses and reads its controls.
class PelmoProcess {
 public:
  explicit PelmoProcess(const std::string& deck, bool withDeck = true) {
    if (withDeck) {
      std::ofstream("pelmo.csv", std::ios::binary) << deck;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    CreateProcessA(PELMO_EXE, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process_);
  }
  ~PelmoProcess() {
    TerminateProcess(process_.hProcess, 99);  // fails harmlessly when it has ended
    WaitForSingleObject(process_.hProcess, 20000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    DeleteFileA("pelmo.csv");
  }

  // The program's shown top-level window of that class, or null.
  HWND VisibleWindow(const char* className) const {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, className, nullptr)) != nullptr;) {
      if (DWORD owner = 0; GetWindowThreadProcessId(w, &owner) && owner == process_.dwProcessId &&
                           IsWindowVisible(w)) {
        return w;
      }
    }
    return nullptr;
  }
  // Waits for the end of start-up: the window shows maximised first, then normally.
  bool WaitForMainWindow() {
    return WaitUntil([&] { return (main_ = VisibleWindow("pelmo fenwa")) != nullptr; }) &&
           WaitForInputIdle(process_.hProcess, 20000) == 0;
  }
  HWND main() const { return main_; }
  HWND Control(int id) const { return GetDlgItem(main_, id); }
  // WM_GETTEXT is marshalled across processes; GetWindowTextA is not, for edit controls.
  std::string Text(HWND window) const {
    char text[256] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
  }
  std::string Text(int id) const { return Text(Control(id)); }
  void Click(int id) const { SendMessageA(Control(id), BM_CLICK, 0, 0); }
  bool Checked(int id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Visible(int id) const { return GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE; }
  // Reads the control's client area off the screen until `ok` accepts it.
  bool WaitForPixels(int id, const std::function<bool(const Canvas&)>& ok) const {
    RECT r;
    POINT origin = {0, 0};
    GetClientRect(Control(id), &r);
    ClientToScreen(Control(id), &origin);
    Canvas canvas(r.right, r.bottom);
    return WaitUntil([&] {
      const HDC screen = GetDC(nullptr);
      canvas.CopyFrom(screen, origin.x, origin.y);
      ReleaseDC(nullptr, screen);
      return ok(canvas);
    });
  }
  // The exit code, or -1 when the program does not end.
  int WaitForExit() const {
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process_.hProcess, 20000) == WAIT_OBJECT_0;
    return ended && GetExitCodeProcess(process_.hProcess, &code) ? static_cast<int>(code) : -1;
  }
  int Close() const {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    return WaitForExit();
  }

 private:
  PROCESS_INFORMATION process_ = {};
  HWND main_ = nullptr;
};

}  // namespace pelmo::testing
