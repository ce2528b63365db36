#pragma once

namespace pelmo {

// The inset of a resting banner whose rectangle is width by height: a tenth of the smaller side,
// at least one pixel. Negative, as margins below zero are insets.
int RestMarginFor(int width, int height);

}  // namespace pelmo
