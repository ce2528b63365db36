#include <cstdio>
#include <cstdlib>

#include "wordlist/load_failure.h"

namespace pelmo {

void ShowLoadFailureAndExit(const char* message) {
  std::fwrite(kErrorCaption, 1, sizeof kErrorCaption - 1, stderr);
  std::fputs(": ", stderr);
  std::fputs(message, stderr);
  std::fputc('\n', stderr);
  std::exit(0);
}

}  // namespace pelmo
