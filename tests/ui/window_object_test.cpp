#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/win32_window.h"
#include "ui/image_panel.h"
#include "ui/link_banner.h"
#include "ui/window_object.h"

namespace pelmo {
namespace {

HINSTANCE Module() {
  return GetModuleHandleA(nullptr);
}

// A label that notes every message its object receives.
class RecordingLabel : public StaticLabel {
 public:
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    messages.push_back(message);
    if (message == WM_NCCREATE) {
      windowAtNcCreate = window;
      propertyAtNcCreate = GetPropA(hwnd, kObjectProperty);
    }
    if (message == WM_SIZE) {
      recordedWidthAtSize = right - left;
    }
    return StaticLabel::HandleMessage(hwnd, message, wParam, lParam);
  }
  bool Saw(UINT message) const {
    for (UINT m : messages) {
      if (m == message) {
        return true;
      }
    }
    return false;
  }
  std::vector<UINT> messages;
  HWND windowAtNcCreate = nullptr;
  HANDLE propertyAtNcCreate = nullptr;
  int recordedWidthAtSize = -1;
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

TEST(WindowObject, IdsComeFromOneCounterInStepsOfFour) {
  testing::TestParent parent;
  const int first = NextControlId;
  PushButton a;
  CheckBox b;
  EditBox c;
  a.Create(0, 0, 10, 10, "", parent.window, Module());
  b.Create(0, 0, 10, 10, "", parent.window, Module());
  c.CreateSingleLine(0, 0, 10, 10, "", parent.window, Module());
  EXPECT_EQ(a.id, first);
  EXPECT_EQ(b.id, first + 4);
  EXPECT_EQ(c.id, first + 8);
  EXPECT_EQ(NextControlId, first + 12);
  EXPECT_EQ(GetDlgCtrlID(b.window), first + 4);
  // A failed creation still uses up its id.
  PushButton orphan;
  EXPECT_EQ(orphan.Create(0, 0, 10, 10, "", reinterpret_cast<HWND>(0x7FF0), Module()), nullptr);
  EXPECT_EQ(orphan.id, first + 12);
  EXPECT_EQ(NextControlId, first + 16);
}

TEST(WindowObject, EachCreationHasItsClassAndStyle) {
  testing::TestParent parent;
  WindowObject base;
  PushButton button;
  CheckBox box;
  EditBox multi;
  EditBox single;
  StaticLabel bordered;
  StaticLabel plain;
  ImagePanel panel;
  LinkBanner banner;
  struct Case {
    const char* what;
    std::function<HWND()> create;
    WindowObject* object;
    const char* className;
    DWORD style;
  };
  const HWND p = parent.window;
  const Case cases[] = {
      {"base", [&] { return base.Create(0, 0, 50, 20, "", p, Module()); }, &base, "Edit",
       0x50000000},
      {"push button", [&] { return button.Create(0, 0, 50, 20, "<", p, Module()); }, &button,
       "Button", 0x50000000},
      {"check box", [&] { return box.Create(0, 0, 50, 20, "Shuffle", p, Module()); }, &box,
       "Button", 0x50000003},
      {"multi-line edit", [&] { return multi.Create(0, 0, 50, 20, "", p, Module()); }, &multi,
       "Edit", 0x50B00004},
      {"single-line edit", [&] { return single.CreateSingleLine(0, 0, 50, 20, "", p, Module()); },
       &single, "Edit", 0x50800000},
      {"bordered label", [&] { return bordered.Create(0, 0, 50, 20, "", p, Module()); }, &bordered,
       "Static", 0x50800000},
      {"plain label", [&] { return plain.CreatePlain(0, 0, 50, 20, " 0 / 0 ", p, Module()); },
       &plain, "Static", 0x50000000},
      {"image panel", [&] { return panel.Create(0, 0, 50, 20, "", p, Module()); }, &panel, "Static",
       0x50000000},
      {"link banner", [&] { return banner.Create(0, 0, 50, 20, "", p, Module()); }, &banner,
       "Static", 0x50000000},
  };
  for (const Case& c : cases) {
    const HWND made = c.create();
    ASSERT_NE(made, nullptr) << c.what;
    EXPECT_EQ(c.object->window, made) << c.what;
    EXPECT_STRCASEEQ(ClassOf(made).c_str(), c.className) << c.what;
    EXPECT_EQ(c.object->style, c.style) << c.what;
    // The platform may adjust styles at creation; compare with a window made the same way.
    HWND twin =
        CreateWindowExA(0, c.className, "", c.style, 0, 0, 50, 20, p, nullptr, Module(), nullptr);
    EXPECT_EQ(GetWindowLongA(made, GWL_STYLE), GetWindowLongA(twin, GWL_STYLE)) << c.what;
    DestroyWindow(twin);
    EXPECT_EQ(c.object->savedProc, nullptr) << c.what;  // created, not attached
    EXPECT_EQ(GetPropA(made, kObjectProperty), nullptr) << c.what;
  }
}

TEST(WindowObject, CreateRecordsTheRectangleParentAndInstance) {
  testing::TestParent parent;
  StaticLabel label;
  label.Create(7, 9, 30, 40, "x", parent.window, Module());
  EXPECT_EQ(label.left, 7);
  EXPECT_EQ(label.top, 9);
  EXPECT_EQ(label.right, 37);
  EXPECT_EQ(label.bottom, 49);
  EXPECT_EQ(label.parent, parent.window);
  EXPECT_EQ(label.instance, Module());
}

TEST(WindowObject, AttachingTwiceKeepsTheFirstSavedProcedureAndStillForwards) {
  testing::TestParent parent;
  EditBox edit;
  edit.CreateSingleLine(0, 0, 100, 20, "", parent.window, Module());
  const auto native = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit.window, GWLP_WNDPROC));
  edit.Attach();
  EXPECT_EQ(edit.savedProc, native);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit.window, GWLP_WNDPROC)),
            &ObjectWndProc);
  edit.Attach();
  EXPECT_EQ(edit.savedProc, native);
  EXPECT_EQ(GetPropA(edit.window, kObjectProperty), &edit);
  // Forwarded to the native edit: it stores and returns its text.
  edit.SetText("cat");
  char text[16] = {};
  SendMessageA(edit.window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "cat");
}

TEST(WindowObject, AnUnattachedControlNeverReachesItsObject) {
  testing::TestParent parent;
  RecordingLabel label;
  label.Create(0, 0, 50, 20, "", parent.window, Module());
  SendMessageA(label.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  label.SetBounds(0, 0, 60, 30);
  EXPECT_TRUE(label.messages.empty());
}

TEST(WindowObject, SetBoundsRecordsTheRectangleBeforeMoving) {
  testing::TestParent parent;
  RecordingLabel label;
  label.Create(0, 0, 50, 20, "", parent.window, Module());
  label.Attach();
  label.SetBounds(10, 20, 90, 60);
  EXPECT_EQ(label.recordedWidthAtSize, 80);
  RECT r;
  GetWindowRect(label.window, &r);
  MapWindowPoints(HWND_DESKTOP, parent.window, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 90);
  EXPECT_EQ(r.bottom, 60);
}

TEST(WindowObject, AfterWmDestroyTheObjectHearsNothingMore) {
  testing::TestParent parent;
  RecordingLabel label;
  label.Create(0, 0, 50, 20, "", parent.window, Module());
  label.Attach();
  const HWND window = label.window;
  DestroyWindow(window);
  EXPECT_TRUE(label.Saw(WM_DESTROY));
  EXPECT_FALSE(label.Saw(WM_NCDESTROY));  // the property was gone: DefWindowProcA had it
  EXPECT_EQ(label.window, window);        // the object keeps its (now stale) handle
}

TEST(WindowObject, SetVisibleRestoresTheCreationStyleAndRepaintsTheParent) {
  testing::TestParent parent;
  UpdateWindow(parent.window);
  StaticLabel label;
  label.Create(0, 0, 50, 20, "", parent.window, Module());
  const LONG created = GetWindowLongA(label.window, GWL_STYLE);
  for (bool visible : {false, true, false, true}) {
    ValidateRect(parent.window, nullptr);
    label.SetVisible(visible);
    EXPECT_EQ(IsWindowVisible(label.window) != FALSE, visible);
    EXPECT_EQ((label.style & WS_VISIBLE) != 0, visible);
    RECT dirty = {};
    EXPECT_TRUE(GetUpdateRect(parent.window, &dirty, FALSE)) << "visible " << visible;
    RECT client;
    GetClientRect(parent.window, &client);
    EXPECT_TRUE(EqualRect(&dirty, &client)) << "the whole parent is repainted";
  }
  EXPECT_EQ(GetWindowLongA(label.window, GWL_STYLE), created);
  EXPECT_EQ(label.style, 0x50800000u);
}

TEST(CheckBox, OnlyACheckedBoxReadsAsChecked) {
  testing::TestParent parent;
  CheckBox box;
  box.Create(0, 0, 50, 20, "", parent.window, Module());
  EXPECT_FALSE(box.IsChecked());
  SendMessageA(box.window, BM_CLICK, 0, 0);  // an automatic box toggles itself
  EXPECT_TRUE(box.IsChecked());
  SendMessageA(box.window, BM_CLICK, 0, 0);
  EXPECT_FALSE(box.IsChecked());
  SetWindowLongA(box.window, GWL_STYLE, WS_CHILD | WS_VISIBLE | BS_AUTO3STATE);
  SendMessageA(box.window, BM_SETCHECK, BST_INDETERMINATE, 0);
  ASSERT_EQ(SendMessageA(box.window, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_FALSE(box.IsChecked());
}

// A window class whose procedure is ObjectWndProc itself, for the creation-parameter path.
class ObjectClass {
 public:
  ObjectClass() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ObjectWndProc;
    wc.hInstance = Module();
    wc.lpszClassName = kName;
    registered = RegisterClassExA(&wc) != 0;
  }
  ~ObjectClass() { UnregisterClassA(kName, Module()); }
  HWND Create(const char* title, void* object) const {
    return CreateWindowExA(0, kName, title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, Module(),
                           object);
  }
  static constexpr char kName[] = "pelmo object class";
  bool registered = false;
};

TEST(ObjectWndProc, AnObjectGivenAtCreationLearnsItsWindowBeforeAttaching) {
  const ObjectClass objectClass;
  ASSERT_TRUE(objectClass.registered);
  RecordingLabel object;
  const HWND made = objectClass.Create("", &object);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(object.windowAtNcCreate, made);
  EXPECT_EQ(object.propertyAtNcCreate, &object);
  ASSERT_FALSE(object.messages.empty());
  EXPECT_EQ(object.messages.front(), static_cast<UINT>(WM_NCCREATE));
  EXPECT_TRUE(object.Saw(WM_CREATE));
  // The class procedure is ObjectWndProc already, so nothing was saved: DefWindowProcA serves.
  EXPECT_EQ(object.savedProc, nullptr);
  DestroyWindow(made);
}

TEST(ObjectWndProc, WithoutAnObjectCreationGoesToDefWindowProc) {
  const ObjectClass objectClass;
  ASSERT_TRUE(objectClass.registered);
  const HWND made = objectClass.Create("title", nullptr);
  ASSERT_NE(made, nullptr);
  char text[16] = {};
  GetWindowTextA(made, text, sizeof text);
  EXPECT_STREQ(text, "title");  // DefWindowProcA handled WM_NCCREATE and stored the title
  EXPECT_EQ(GetPropA(made, kObjectProperty), nullptr);
  DestroyWindow(made);
}

}  // namespace
}  // namespace pelmo
