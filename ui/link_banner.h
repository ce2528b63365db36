#pragma once

#include <windows.h>

#include "ui/banner_margin.h"
#include "ui/image_panel.h"

namespace pelmo {

// The maker's web page: one address, chosen when the build is configured.
extern const char kHomePageAddress[];

// How a banner press reaches the shell; tests put an observer here.
using ShellOpenFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
ShellOpenFunction SetShellOpenFunction(ShellOpenFunction open);

// An image panel that works as a link: inset at rest, full size under the mouse with the
// up-arrow cursor, and a left-button press opens the maker's web page.
class LinkBanner : public ImagePanel {
 public:
  LinkBanner();
  ~LinkBanner() override;

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  int restMargin = -1;
  TRACKMOUSEEVENT* tracking = nullptr;
};

}  // namespace pelmo
