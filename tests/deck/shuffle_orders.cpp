// The viewer's own orders, for the page's browser test: the deck loaded as pelmo loads it, then
// "Shuffle" switched as the second argument says ("1" on, "0" off, in turn), one line of words
// (tab-separated) for each switch.
#include <cstdio>
#include <string>

#include "wordlist/word_list.h"

int main(int argc, char** argv) {
  pelmo::WordList deck;
  if (argc != 3 || !deck.Load(argv[1])) {
    std::fprintf(stderr, "usage: shuffle_orders DECK SWITCHES\n");
    return 2;
  }
  for (const char* s = argv[2]; *s; ++s) {
    deck.SetShuffle(*s == '1');
    std::string word;
    for (int row = 0; row < deck.RowCount(); ++row) {
      deck.GetField(row, 0, word);
      std::printf("%s%s", row ? "\t" : "", word.c_str());
    }
    std::printf("\n");
  }
  return 0;
}
