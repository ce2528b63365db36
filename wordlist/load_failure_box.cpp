#include <windows.h>

#include <cstdlib>

#include "wordlist/load_failure.h"

namespace pelmo {

void ShowLoadFailureAndExit(const char* message) {
  MessageBoxA(nullptr, message, kErrorCaption, MB_OK);
  // The normal exit: handlers registered with atexit and the global destructors still run.
  std::exit(0);
}

}  // namespace pelmo
