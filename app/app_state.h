#pragma once

#include <windows.h>

#include <string>

#include "pronunciation/pronunciation_view.h"
#include "ui/image_panel.h"
#include "ui/link_banner.h"
#include "ui/window_object.h"
#include "wordlist/word_list.h"

namespace pelmo {

// Everything the program holds, in one object that outlives every window. Members are built in
// this order before WinMain and destroyed in reverse after it returns; windows are never owned.
struct AppState {
  LinkBanner Banner;
  ImagePanel WordCover;
  ImagePanel PronunciationCover;
  ImagePanel MeaningCover;
  PushButton PrevButton;
  PushButton NextButton;
  EditBox WordField;
  PronunciationView PronunciationField;
  EditBox MeaningField;
  CheckBox HideWordBox;
  CheckBox HidePronunciationBox;
  CheckBox HideMeaningBox;
  CheckBox ShuffleBox;
  WordList Deck;
  StaticLabel CounterLabel;
  int CardIndex = 0;  // 1-based position of the card shown; 0 until the window exists
  int CardCount = 0;
  std::string CounterText;
};

extern AppState App;
extern HINSTANCE InstanceHandle;

}  // namespace pelmo
