#pragma once

#include <string>

// What the tool needs of the operating system beyond standard C++: one small file per system.
namespace pelmo::deck {

// Whether the two names reach one existing file (hard links and other spellings included).
bool SameFile(const std::string& a, const std::string& b);

// Puts `from` in the place of `to` in one step, replacing a file already there.
bool MoveIntoPlace(const std::string& from, const std::string& to, std::string& error);

// Standard output and error carry UTF-8; a Windows console is told so for as long as the tool
// runs. Elsewhere nothing needs doing.
void UseUtf8Output();

// How the command line's bytes are encoded: the ANSI code page (932) on Windows, UTF-8 elsewhere.
bool ArgumentsAreCp932();

}  // namespace pelmo::deck
