#include "ui/window_object.h"

namespace pelmo {

int NextControlId = 1500;

namespace {

constexpr DWORD kChildVisible = WS_CHILD | WS_VISIBLE;                                // 0x50000000
constexpr DWORD kAutoCheckBox = kChildVisible | BS_AUTOCHECKBOX;                      // 0x50000003
constexpr DWORD kBordered = kChildVisible | WS_BORDER;                                // 0x50800000
constexpr DWORD kMultiLineEdit = kBordered | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE;  // 0x50B00004

}  // namespace

HWND WindowObject::CreateWith(const char* className, DWORD windowStyle, int x, int y, int width,
                              int height, const char* text, HWND parentWindow,
                              HINSTANCE moduleInstance) {
  right = x + width;
  bottom = y + height;
  instance = moduleInstance;
  parent = parentWindow;
  left = x;
  top = y;
  id = NextControlId;
  NextControlId += 4;
  style = windowStyle;
  window =
      CreateWindowExA(0, className, text, windowStyle, x, y, width, height, parentWindow,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance, nullptr);
  return window;
}

HWND WindowObject::Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
                          HINSTANCE moduleInstance) {
  return CreateWith("EDIT", kChildVisible, x, y, width, height, text, parentWindow, moduleInstance);
}

void WindowObject::Attach() {
  SetPropA(window, kObjectProperty, this);
  const LONG_PTR current = GetWindowLongPtrA(window, GWLP_WNDPROC);
  if (current != reinterpret_cast<LONG_PTR>(&ObjectWndProc)) {
    savedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ObjectWndProc)));
  }
}

LRESULT WindowObject::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (savedProc != nullptr) {
    return CallWindowProcA(savedProc, hwnd, message, wParam, lParam);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

BOOL WindowObject::SetText(const char* text) {
  return SetWindowTextA(window, text);
}

void WindowObject::SetBounds(int newLeft, int newTop, int newRight, int newBottom) {
  left = newLeft;
  top = newTop;
  right = newRight;
  bottom = newBottom;
  MoveWindow(window, left, top, right - left, bottom - top, TRUE);
}

void WindowObject::SetVisible(bool visible) {
  if (visible) {
    style |= WS_VISIBLE;
  } else {
    style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
  InvalidateRect(parent, nullptr, TRUE);
}

LRESULT CALLBACK ObjectWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* object = static_cast<WindowObject*>(GetPropA(hwnd, kObjectProperty));
  if (object == nullptr) {
    if (message != WM_NCCREATE && message != WM_CREATE) {
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    object = create != nullptr ? static_cast<WindowObject*>(create->lpCreateParams) : nullptr;
    if (object == nullptr) {
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    // CreateWindowExA has not returned yet, so the object cannot know its window: tell it here,
    // before attaching, which works on the recorded window.
    object->window = hwnd;
    object->Attach();
  }
  const LRESULT result = object->HandleMessage(hwnd, message, wParam, lParam);
  if (message == WM_DESTROY) {
    RemovePropA(object->window, kObjectProperty);
  }
  return result;
}

HWND PushButton::Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
                        HINSTANCE moduleInstance) {
  return CreateWith("BUTTON", kChildVisible, x, y, width, height, text, parentWindow,
                    moduleInstance);
}

HWND CheckBox::Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
                      HINSTANCE moduleInstance) {
  return CreateWith("BUTTON", kAutoCheckBox, x, y, width, height, text, parentWindow,
                    moduleInstance);
}

bool CheckBox::IsChecked() const {
  return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND EditBox::Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
                     HINSTANCE moduleInstance) {
  return CreateWith("EDIT", kMultiLineEdit, x, y, width, height, text, parentWindow,
                    moduleInstance);
}

HWND EditBox::CreateSingleLine(int x, int y, int width, int height, const char* text,
                               HWND parentWindow, HINSTANCE moduleInstance) {
  return CreateWith("EDIT", kBordered, x, y, width, height, text, parentWindow, moduleInstance);
}

HWND StaticLabel::Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
                         HINSTANCE moduleInstance) {
  return CreateWith("STATIC", kBordered, x, y, width, height, text, parentWindow, moduleInstance);
}

HWND StaticLabel::CreatePlain(int x, int y, int width, int height, const char* text,
                              HWND parentWindow, HINSTANCE moduleInstance) {
  return CreateWith("STATIC", kChildVisible, x, y, width, height, text, parentWindow,
                    moduleInstance);
}

}  // namespace pelmo
