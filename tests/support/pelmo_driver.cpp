#include "tests/support/pelmo_driver.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef PELMO_EXE
#error "PELMO_EXE must name the program under test"
#endif

namespace pelmo::testing {

namespace {

constexpr DWORD kPatience = 20000;  // a young Wine prefix can take seconds to show a window

std::string NewFolder() {
  static int counter = 0;
  char name[MAX_PATH];
  std::snprintf(name, sizeof name, "run-%lu-%d", GetCurrentProcessId(), ++counter);
  CreateDirectoryA(name, nullptr);
  char full[MAX_PATH];
  GetFullPathNameA(name, sizeof full, full, nullptr);
  return full;
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

struct Search {
  DWORD processId;
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner == search->processId && lstrcmpiA(name, search->className) == 0) {
    search->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOfProcess(DWORD processId, const char* className) {
  Search search{processId, className, {}};
  EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

PelmoProcess::PelmoProcess(const std::string& deck, bool withDeck) : folder_(NewFolder()) {
  if (withDeck) {
    std::ofstream out(folder_ + "\\pelmo.csv", std::ios::binary);
    out.write(deck.data(), static_cast<std::streamsize>(deck.size()));
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string command = "\"" PELMO_EXE "\"";
  QueryPerformanceCounter(&started_);
  CreateProcessA(PELMO_EXE, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                 &startup, &process_);
}

PelmoProcess::~PelmoProcess() {
  if (Running()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  if (process_.hProcess != nullptr) {
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  RemoveFolder(folder_);
}

double PelmoProcess::SecondsSinceStart() const {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - started_.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

bool PelmoProcess::Running() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool PelmoProcess::WaitForMainWindow() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kPatience && Running()) {
    const std::vector<HWND> found = WindowsOfProcess(process_.dwProcessId, "pelmo fenwa");
    if (!found.empty() && IsWindowVisible(found[0])) {
      main_ = found[0];
      // Let start-up finish: the first paint follows the first card.
      WaitForInputIdle(process_.hProcess, kPatience);
      return true;
    }
    Sleep(20);
  }
  return false;
}

HWND PelmoProcess::WaitForMessageBox() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kPatience && Running()) {
    // The box exists before its text and buttons do: wait until it is up and showing.
    for (HWND box : WindowsOfProcess(process_.dwProcessId, "#32770")) {
      if (IsWindowVisible(box) && GetDlgItem(box, IDOK) != nullptr &&
          GetDlgItem(box, 0xFFFF) != nullptr) {
        return box;
      }
    }
    Sleep(20);
  }
  return nullptr;
}

std::string PelmoProcess::Text(HWND window) const {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got =
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

void PelmoProcess::Click(int id) const {
  SendMessageA(Control(id), BM_CLICK, 0, 0);
}

bool PelmoProcess::Checked(int id) const {
  return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool PelmoProcess::Visible(int id) const {
  return (GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

int PelmoProcess::WaitForExit(DWORD milliseconds) {
  if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

int PelmoProcess::Close() {
  PostMessageA(main_, WM_CLOSE, 0, 0);
  return WaitForExit();
}

std::string PelmoProcess::DeckBytesNow() const {
  std::ifstream in(folder_ + "\\pelmo.csv", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ScreenShot::ScreenShot(HWND window, bool clientOnly) {
  RECT r;
  POINT origin = {0, 0};
  if (clientOnly) {
    GetClientRect(window, &r);
    ClientToScreen(window, &origin);
  } else {
    GetWindowRect(window, &r);
    origin = {r.left, r.top};
    OffsetRect(&r, -r.left, -r.top);
  }
  if (r.right <= 0 || r.bottom <= 0) {
    return;
  }
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(100);  // the other process paints on its own time
  canvas_ = std::make_unique<Canvas>(r.right, r.bottom);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas_->dc, 0, 0, r.right, r.bottom, screen, origin.x, origin.y, SRCCOPY);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::Pixel(int x, int y) const {
  return canvas_->Pixel(x, y);
}

bool ScreenShot::SaveBmp(const std::string& path) const {
  if (!canvas_) {
    return false;
  }
  const int width = canvas_->width();
  const int height = canvas_->height();
  std::ofstream out(path, std::ios::binary);
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageBytes;
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = imageBytes;
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  std::string row(rowBytes, '\0');
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = canvas_->Pixel(x, y);
      row[3 * x] = static_cast<char>(GetBValue(c));
      row[3 * x + 1] = static_cast<char>(GetGValue(c));
      row[3 * x + 2] = static_cast<char>(GetRValue(c));
    }
    out.write(row.data(), rowBytes);
  }
  return static_cast<bool>(out);
}

}  // namespace pelmo::testing
