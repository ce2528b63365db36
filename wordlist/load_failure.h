#pragma once

#include <string>

namespace pelmo {

// Where a failed load of the deck is reported. The message is code page 932 text. The default
// handler shows it (a message box on Windows, standard error elsewhere) and ends the process with
// status 0; a handler that returns makes Load return false with an empty list, which is how the
// tests observe the message.
using LoadFailureHandler = void (*)(const char* message);

LoadFailureHandler SetLoadFailureHandler(LoadFailureHandler handler);
void ReportLoadFailure(const char* message);

// The texts, in code page 932.
std::string CannotOpenMessage(const std::string& fileName);
std::string NoDataMessage();
std::string OutOfMemoryMessage(const std::string& fileName);
// For when even that message cannot be composed: a constant, so reporting it allocates nothing.
extern const char kOutOfMemoryShortMessage[];
inline constexpr char kErrorCaption[] = "\x83\x47\x83\x89\x81\x5b";  // "エラー"

// The default handler of this platform.
void ShowLoadFailureAndExit(const char* message);

}  // namespace pelmo
