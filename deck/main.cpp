// pelmo-deck: checks, converts and previews decks for pelmo, on any system.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "deck/platform.h"
#include "deck/tool.h"

int main(int argc, char** argv) {
  pelmo::deck::UseUtf8Output();
  // Standard error is unbuffered by default, and a deck can give thousands of lines of findings:
  // one write each would cost more than finding them. Both streams are flushed at exit.
  static char errBuffer[1 << 16];
  std::setvbuf(stderr, errBuffer, _IOFBF, sizeof errBuffer);
  std::cerr.unsetf(std::ios::unitbuf);
  // What is said on standard error comes before what follows it on standard output, as written.
  std::cerr.tie(nullptr);
  std::cout.tie(&std::cerr);
  try {
    const std::vector<std::string> args = pelmo::deck::CommandLineUtf8(argc, argv);
    const int status = pelmo::deck::RunDeckTool(args, std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    return status;
  } catch (const std::exception& e) {
    // Running out of memory is the one failure left that the commands do not word themselves.
    std::cerr << "pelmo-deck: " << e.what() << "\n";
    return 2;
  }
}
