#pragma once

#include <windows.h>

namespace pelmo {

inline constexpr char kMainClassName[] = "pelmo fenwa";
inline constexpr char kMainTitle[] = "pelmo";
inline constexpr char kDeckFileName[] = "pelmo.csv";

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Places every control for a client area of width x height.
void LayoutControls(int width, int height, WPARAM sizeType);

}  // namespace pelmo
