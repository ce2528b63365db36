#include "app/main_window.h"

#include <new>

#include "app/app_state.h"
#include "app/card_display.h"
#include "app/layout.h"

namespace pelmo {

AppState App;
HINSTANCE InstanceHandle = nullptr;

namespace {

constexpr WORD kBannerBitmap = 200;
constexpr WORD kCoverBitmap = 210;
constexpr COLORREF kBannerKey = RGB(0, 255, 0);

void CreateControls(HWND hwnd) {
  const HINSTANCE inst = InstanceHandle;
  App.PrevButton.Create(0, 0, 20, 100, "<", hwnd, inst);
  App.NextButton.Create(50, 50, 20, 100, ">", hwnd, inst);
  App.NextButton.Attach();
  App.PrevButton.Attach();
  App.ShuffleBox.Create(100, 10, 200, 100, "Shuffle", hwnd, inst);
  App.ShuffleBox.Attach();
  App.WordField.CreateSingleLine(100, 100, 200, 200, "", hwnd, inst);
  App.WordField.Attach();
  App.HideWordBox.Create(100, 100, 20, 20, "", hwnd, inst);
  App.HidePronunciationBox.Create(100, 100, 20, 20, "", hwnd, inst);
  App.PronunciationField.Create(100, 100, 200, 200, "", hwnd, inst);
  App.PronunciationField.Attach();
  App.HideMeaningBox.Create(100, 100, 20, 20, "", hwnd, inst);
  App.MeaningField.Create(100, 100, 200, 200, "", hwnd, inst);
  App.MeaningField.Attach();
  App.CounterLabel.CreatePlain(50, 10, 200, 100, " 0 / 0 ", hwnd, inst);
  App.CounterLabel.Attach();
  App.Banner.Create(50, 10, 200, 100, "", hwnd, inst);
  App.Banner.Attach();
  App.Banner.LoadBitmapResource(kBannerBitmap);
  App.Banner.SetTransparentColor(kBannerKey);
  for (ImagePanel* cover : {&App.WordCover, &App.PronunciationCover, &App.MeaningCover}) {
    cover->Create(50, 10, 200, 100, "", hwnd, inst);
    cover->Attach();
    cover->LoadBitmapResource(kCoverBitmap);
    cover->SetVisible(false);
  }
}

void Place(WindowObject& control, const Rect& r) {
  control.SetBounds(r.left, r.top, r.right, r.bottom);
}

}  // namespace

void LayoutControls(int width, int height, WPARAM /*sizeType*/) {
  const MainLayout l =
      ComputeLayout(static_cast<unsigned>(width) & 0xFFFF, static_cast<unsigned>(height) & 0xFFFF);
  Place(App.PrevButton, l.prevButton);
  Place(App.NextButton, l.nextButton);
  Place(App.CounterLabel, l.counterLabel);
  Place(App.ShuffleBox, l.shuffleBox);
  Place(App.HideWordBox, l.hideWordBox);
  Place(App.WordField, l.wordField);
  Place(App.WordCover, l.wordField);
  Place(App.HidePronunciationBox, l.hidePronunciationBox);
  Place(App.PronunciationField, l.pronunciationField);
  Place(App.PronunciationCover, l.pronunciationField);
  Place(App.HideMeaningBox, l.hideMeaningBox);
  Place(App.MeaningField, l.meaningField);
  Place(App.MeaningCover, l.meaningField);
  Place(App.Banner, l.banner);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Running out of memory while showing a huge card leaves the window as it was rather than
  // letting the exception through the window manager.
  try {
    switch (message) {
      case WM_CREATE:
        App.Deck.Load(kDeckFileName);  // returns only with at least one row
        CreateControls(hwnd);
        App.CardCount = App.Deck.RowCount();
        App.CardIndex = 1;
        ShowCard(hwnd);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      case WM_SIZE:
        LayoutControls(LOWORD(lParam), HIWORD(lParam), wParam);
        return 0;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_COMMAND:
        HandleCommand(LOWORD(wParam), hwnd);
        return 0;
      case WM_KEYDOWN:
      case WM_MOUSEMOVE:
      case WM_LBUTTONDOWN:
        return 0;
      default:
        break;
    }
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace pelmo
