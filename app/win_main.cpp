#include <windows.h>

#include "app/app_state.h"
#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/,
                   int showCommand) {
  using namespace pelmo;
  RECT desktop = {};
  GetWindowRect(GetDesktopWindow(), &desktop);
  const int dw = desktop.right - desktop.left;
  const int dh = desktop.bottom - desktop.top;
  InstanceHandle = instance;

  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(101));
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kMainClassName;
  wc.hIconSm = LoadIconA(InstanceHandle, MAKEINTRESOURCEA(101));
  RegisterClassExA(&wc);

  HWND window = CreateWindowExA(
      0, kMainClassName, kMainTitle, WS_POPUP | WS_VISIBLE | WS_MAXIMIZE | WS_OVERLAPPEDWINDOW,
      dw / 2 - 320, dh / 2 - 240, 640, 480, nullptr, nullptr, instance, nullptr);
  // Without a window nothing could ever end the message loop.
  if (window == nullptr) {
    return 0;
  }
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
