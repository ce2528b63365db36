#pragma once

namespace pelmo {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Rect&) const = default;
};

// Where every control of the main window goes for a client area of width x height: fixed
// fractions of the client size, in the order the controls are moved.
struct MainLayout {
  Rect prevButton;
  Rect nextButton;
  Rect counterLabel;
  Rect shuffleBox;
  Rect hideWordBox;
  Rect wordField;  // and WordCover
  Rect hidePronunciationBox;
  Rect pronunciationField;  // and PronunciationCover
  Rect hideMeaningBox;
  Rect meaningField;  // and MeaningCover
  Rect banner;
  bool operator==(const MainLayout&) const = default;
};

MainLayout ComputeLayout(unsigned width, unsigned height);

}  // namespace pelmo
