// Any deck as a page: the page is its template with the deck's data where the template leaves it,
// and that data cannot end its script element, open a comment there, or hold anything but valid
// UTF-8 without control characters, whatever the deck holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "deck/page.h"
#include "deck/page_template.h"
#include "deck/text_encoding.h"
#include "fuzz/check.h"

using namespace pelmo::deck;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PageResult page;
  std::string error;
  if (!MakePage(std::string_view(reinterpret_cast<const char*>(data), size), "t", page, error)) {
    Check(page.cards == 0 && !error.empty());
    return 0;
  }
  static size_t k = 0;
  static const std::string head = [] {
    std::string text;
    for (; kPageTemplate[k].hole != PageHole::kData; ++k) {
      text += std::string(kPageTemplate[k].text) + "t";  // the only other hole is the title
    }
    return text + kPageTemplate[k].text;
  }();
  const std::string_view tail = kPageTemplate[k + 1].text;
  const std::string_view html = page.html;
  Check(page.cards > 0 && k + 2 == kPageTemplateCount && html.size() >= head.size() + tail.size());
  Check(html.substr(0, head.size()) == head && html.substr(html.size() - tail.size()) == tail);
  const std::string_view json = html.substr(head.size(), html.size() - head.size() - tail.size());
  Check(json.find("</") == std::string_view::npos && json.find("<!") == std::string_view::npos);
  // The deck's part: the glyphs before it are the same for every deck.
  const std::string_view deck = json.substr(json.find(",\"cards\":["));
  Check(!FirstInvalidUtf8(deck));
  for (const char c : deck) {
    Check(static_cast<unsigned char>(c) >= 0x20);
  }
  return 0;
}
