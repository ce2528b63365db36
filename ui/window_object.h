#pragma once

#include <windows.h>

namespace pelmo {

// Ids of created controls: 1500, 1504, ... in creation order, never reused.
extern int NextControlId;

// The name of the window property that ties a native control to its object.
inline constexpr char kObjectProperty[] = "MYWND_CLASS";

// One object per native child window. The object never owns its window: windows die with their
// parent, objects at exit, and an object's destructor frees only memory.
class WindowObject {
 public:
  WindowObject() = default;
  virtual ~WindowObject() = default;
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;

  // Creates the native window (a plain "EDIT" for the bare base) with the next control id.
  virtual HWND Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
                      HINSTANCE moduleInstance);
  // Routes the window's messages to HandleMessage through ObjectWndProc. Attaching again keeps
  // the procedure saved the first time.
  void Attach();
  // Default: the native procedure saved by Attach, or DefWindowProcA when there is none.
  virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL SetText(const char* text);

  // Records the rectangle first: a WM_SIZE sent by MoveWindow is handled from it.
  void SetBounds(int newLeft, int newTop, int newRight, int newBottom);
  // Sets or clears WS_VISIBLE in the recorded style and repaints the parent with erasing.
  void SetVisible(bool visible);

  int id = 0;
  HWND window = nullptr;
  HWND parent = nullptr;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  HINSTANCE instance = nullptr;
  WNDPROC savedProc = nullptr;
  DWORD style = 0;

 protected:
  HWND CreateWith(const char* className, DWORD windowStyle, int x, int y, int width, int height,
                  const char* text, HWND parentWindow, HINSTANCE moduleInstance);
};

LRESULT CALLBACK ObjectWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class PushButton : public WindowObject {
 public:
  HWND Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
              HINSTANCE moduleInstance) override;
};

class CheckBox : public WindowObject {
 public:
  HWND Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
              HINSTANCE moduleInstance) override;
  // Only BST_CHECKED counts: an indeterminate box reads as unchecked.
  bool IsChecked() const;
};

class EditBox : public WindowObject {
 public:
  // Multi-line, bordered, with both scroll bars.
  HWND Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
              HINSTANCE moduleInstance) override;
  HWND CreateSingleLine(int x, int y, int width, int height, const char* text, HWND parentWindow,
                        HINSTANCE moduleInstance);
};

class StaticLabel : public WindowObject {
 public:
  // Bordered.
  HWND Create(int x, int y, int width, int height, const char* text, HWND parentWindow,
              HINSTANCE moduleInstance) override;
  // Without a border.
  virtual HWND CreatePlain(int x, int y, int width, int height, const char* text, HWND parentWindow,
                           HINSTANCE moduleInstance);
};

}  // namespace pelmo
