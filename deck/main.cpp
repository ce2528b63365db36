// pelmo-deck: checks, converts and previews decks for pelmo, on any system.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "deck/platform.h"
#include "deck/tool.h"

int main(int argc, char** argv) {
  pelmo::deck::UseUtf8Output();
  try {
    const std::vector<std::string> args = pelmo::deck::CommandLineUtf8(argc, argv);
    const int status = pelmo::deck::RunDeckTool(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
  } catch (const std::exception& e) {
    // Running out of memory is the one failure left that the commands do not word themselves.
    std::cerr << "pelmo-deck: " << e.what() << "\n";
    return 2;
  }
}
