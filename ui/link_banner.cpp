#include "ui/link_banner.h"

#include <shellapi.h>

#include <cstdlib>

#ifndef PELMO_HOMEPAGE
#define PELMO_HOMEPAGE "https://pelmo.example.org/"
#endif

namespace pelmo {

const char kHomePageAddress[] = PELMO_HOMEPAGE;

namespace {

ShellOpenFunction shellOpen = &ShellExecuteA;
HCURSOR hoverCursor = nullptr;
HCURSOR normalCursor = nullptr;

}  // namespace

ShellOpenFunction SetShellOpenFunction(ShellOpenFunction open) {
  ShellOpenFunction previous = shellOpen;
  shellOpen = open != nullptr ? open : &ShellExecuteA;
  return previous;
}

LinkBanner::LinkBanner() {
  tracking = static_cast<TRACKMOUSEEVENT*>(std::calloc(1, sizeof(TRACKMOUSEEVENT)));
  if (tracking != nullptr) {
    tracking->cbSize = sizeof(TRACKMOUSEEVENT);
    tracking->dwFlags = TME_LEAVE;
    tracking->hwndTrack = nullptr;
    tracking->dwHoverTime = 0;
  }
  restMargin = -1;
  margin = -1;
}

LinkBanner::~LinkBanner() {
  std::free(tracking);
}

LRESULT LinkBanner::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hoverCursor == nullptr) {
    hoverCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32516));   // IDC_UPARROW
    normalCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  }
  switch (message) {
    case WM_SIZE:
      restMargin = RestMarginFor(right - left, bottom - top);
      margin = restMargin;
      break;
    case WM_PAINT:
      PaintFromMessage(hwnd);
      break;
    case WM_MOUSEMOVE:
      SetCursor(hoverCursor);
      margin = 0;
      if (tracking != nullptr) {
        tracking->hwndTrack = hwnd;
        TrackMouseEvent(tracking);
      }
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_LBUTTONDOWN:
      shellOpen(hwnd, "open", kHomePageAddress, nullptr, nullptr, SW_SHOW);
      break;
    case WM_MOUSELEAVE:
      SetCursor(normalCursor);
      margin = restMargin;
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace pelmo
