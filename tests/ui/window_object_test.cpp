// What the end-to-end test cannot see of a window object: the procedure it forwards to, and the
// property that binds its window to it, gone by the end of WM_DESTROY.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/support/win32_window.h"
#include "ui/window_object.h"

namespace pelmo {
namespace {

HANDLE propertyAfterDestroy = INVALID_HANDLE_VALUE;

LRESULT CALLBACK AfterEachMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (sent->message == WM_DESTROY) {
    propertyAfterDestroy = GetPropA(sent->hwnd, kObjectProperty);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(WindowObject, AttachingTwiceKeepsTheNativeProcedureAndDestroyLetsGoOfTheObject) {
  testing::TestParent parent;
  PushButton button;
  button.Create(0, 0, 40, 20, "b", parent.window, GetModuleHandleA(nullptr));
  const LONG_PTR native = GetWindowLongPtrA(button.window, GWLP_WNDPROC);
  button.Attach();
  button.Attach();  // must not save ObjectWndProc as the procedure to forward to
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(button.savedProc), native);
  EXPECT_EQ(GetPropA(button.window, kObjectProperty), &button);
  EXPECT_EQ(SendMessageA(button.window, WM_GETTEXTLENGTH, 0, 0), 1) << "forwarded to the button";
  const HHOOK hook =
      SetWindowsHookExA(WH_CALLWNDPROCRET, &AfterEachMessage, nullptr, GetCurrentThreadId());
  DestroyWindow(button.window);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(propertyAfterDestroy, nullptr);
}

}  // namespace
}  // namespace pelmo
