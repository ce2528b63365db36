#pragma once

#include <cstddef>

namespace pelmo::deck {

// What comes after a piece of the page's fixed text.
enum class PageHole {
  kNone,   // nothing: the last piece
  kTitle,  // the deck's title, escaped for HTML text
  kData,   // the deck as JSON, safe inside a script element
};

struct PageTemplatePiece {
  const char* text;
  PageHole hole;
};

// The page, generated at build time from deck/page/ with its stylesheet, script and
// Content-Security-Policy filled in.
extern const PageTemplatePiece kPageTemplate[];
extern const size_t kPageTemplateCount;

}  // namespace pelmo::deck
