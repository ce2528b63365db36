#include "ui/banner_margin.h"

namespace pelmo {

int RestMarginFor(int width, int height) {
  const int smaller = height < width ? height : width;
  const float kMinusTenth = -0.1f;
  // The single-precision constant, the product taken in double, then truncated toward zero.
  int r = static_cast<int>(static_cast<double>(smaller) * static_cast<double>(kMinusTenth));
  if (r > -1) {
    r = -1;
  }
  return r;
}

}  // namespace pelmo
