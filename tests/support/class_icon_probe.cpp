// Loaded into pelmo.exe by the message hook an end-to-end test sets, to read the window class,
// which only the program's own process can: on "pelmo class icon" it posts WM_APP to the thread
// in wParam, with wParam 1 when the class icon is the program's icon 101.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ClassIconProbe(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* m = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && m->message == RegisterWindowMessageA("pelmo class icon")) {
    const HICON own = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101));  // shared
    PostThreadMessageA(m->wParam, WM_APP,
                       own && GetClassLongPtrA(m->hwnd, GCLP_HICON) == ULONG_PTR(own), 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
