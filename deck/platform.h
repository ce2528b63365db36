#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What the tool needs of the operating system beyond standard C++: one small file per system.
namespace pelmo::deck {

// Whether the two names reach one existing file (hard links and other spellings included).
bool SameFile(const std::string& a, const std::string& b);

// A new file, open for writing in binary, made only when nothing at all has the name (not even a
// dangling symbolic link). Null with `taken` set when something has; null with `error` otherwise.
std::FILE* CreateNewFile(const std::string& path, bool& taken, std::string& error);

// What stands at a name that is about to be replaced.
struct ExistingFile {
  bool exists = false;
  bool link = false;      // a symbolic link (or another reparse point on Windows)
  bool readOnly = false;  // no one may write it
  unsigned mode = 0;      // permission bits where the system has them
};
ExistingFile InspectFile(const std::string& path);

// Gives a new file the permission bits of the one it replaces; Windows has none to give.
void CopyMode(const std::string& path, unsigned mode);

// Puts `from` in the place of `to` in one step, replacing a file already there.
bool MoveIntoPlace(const std::string& from, const std::string& to, std::string& error);

// Standard output and error carry UTF-8; a Windows console is told so for as long as the tool
// runs. Elsewhere nothing needs doing.
void UseUtf8Output();

// The arguments after the program's name, as UTF-8. Windows reads them from its Unicode command
// line, since IPA and most other text do not fit its ANSI code page.
std::vector<std::string> CommandLineUtf8(int argc, char** argv);

// A path given as UTF-8, as the file functions of the system take it: in the ANSI code page on
// Windows (unchanged if it does not fit, so that opening it fails), as it is elsewhere.
std::string NativePath(const std::string& utf8);

}  // namespace pelmo::deck
