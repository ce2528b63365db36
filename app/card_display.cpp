#include "app/card_display.h"

#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "wordlist/text_escapes.h"

namespace pelmo {

namespace {

// The three columns of the card on show.
std::string wordBuffer;
std::string pronunciationBuffer;
std::string meaningBuffer;

// A column the row lacks shows empty: keeping the earlier card's text would show one card's
// meaning with another card's word.
void ReadColumn(int row, int column, std::string& buffer) {
  if (!App.Deck.GetField(row, column, buffer)) {
    buffer.clear();
  }
}

void ToggleCover(const CheckBox& box, WindowObject& field, WindowObject& cover) {
  if (box.IsChecked()) {
    field.SetVisible(false);
    cover.SetVisible(true);
  } else {
    field.SetVisible(true);
    cover.SetVisible(false);
  }
}

}  // namespace

void UpdateCounterText() {
  char text[32];
  std::snprintf(text, sizeof text, "%d / %d", App.CardIndex, App.CardCount);
  App.CounterText = text;
}

void ShowCard(HWND mainWindow) {
  const int row = App.CardIndex - 1;
  UpdateCounterText();
  SetWindowTextA(App.CounterLabel.window, App.CounterText.c_str());
  ReadColumn(row, 0, wordBuffer);
  ReadColumn(row, 1, pronunciationBuffer);
  ReadColumn(row, 2, meaningBuffer);
  meaningBuffer = ResolveMeaningEscapes(meaningBuffer);
  SetWindowTextA(App.WordField.window, wordBuffer.c_str());
  App.PronunciationField.SetText(pronunciationBuffer.c_str());
  SetWindowTextA(App.MeaningField.window, meaningBuffer.c_str());
  InvalidateRect(mainWindow, nullptr, TRUE);
}

void HandleCommand(int controlId, HWND mainWindow) {
  if (controlId == App.PrevButton.id) {
    if (--App.CardIndex < 1) {
      App.CardIndex = App.CardCount;
    }
  } else if (controlId == App.NextButton.id) {
    if (++App.CardIndex > App.CardCount) {
      App.CardIndex = 1;
    }
  } else if (controlId == App.HideWordBox.id) {
    ToggleCover(App.HideWordBox, App.WordField, App.WordCover);
  } else if (controlId == App.HidePronunciationBox.id) {
    ToggleCover(App.HidePronunciationBox, App.PronunciationField, App.PronunciationCover);
  } else if (controlId == App.HideMeaningBox.id) {
    ToggleCover(App.HideMeaningBox, App.MeaningField, App.MeaningCover);
  } else if (controlId == App.ShuffleBox.id) {
    App.Deck.SetShuffle(App.ShuffleBox.IsChecked());
  } else {
    return;
  }
  ShowCard(mainWindow);
}

}  // namespace pelmo
