#pragma once

namespace pelmo::testing {

// The ids pelmo.exe gives its controls, in creation order.
constexpr int kPrev = 1500, kNext = 1504, kShuffle = 1508, kWord = 1512, kHideWord = 1516,
              kHidePronunciation = 1520, kPronunciation = 1524, kHideMeaning = 1528,
              kMeaning = 1532, kCounter = 1536, kBanner = 1540, kWordCover = 1544,
              kPronunciationCover = 1548, kMeaningCover = 1552;

}  // namespace pelmo::testing
