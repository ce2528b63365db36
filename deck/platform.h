#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What the tool needs of the operating system beyond standard C++: one small file per system.
namespace pelmo::deck {

// Whether the two names reach one existing file (hard links and other spellings included).
bool SameFile(const std::string& a, const std::string& b);

// What stands at a name that is about to be replaced. A link is not followed: it is a link (so is
// any other reparse point on Windows).
enum class FileKind { kNothing, kFile, kDirectory, kLink, kPipe, kSocket, kDevice, kOther };
struct ExistingFile {
  FileKind kind = FileKind::kNothing;
  // Marked read-only: no write permission for anyone, or the read-only attribute.
  bool readOnly = false;
  // Why this user could not open a file for writing; empty if they could.
  std::string notWritable;
  // Permission bits, owner and group, where the system has them.
  unsigned mode = 0;
  unsigned owner = 0;
  unsigned group = 0;
};
ExistingFile InspectFile(const std::string& path);

// A new file, open for writing in binary, made only when nothing at all has the name (not even a
// dangling symbolic link). Null with `taken` set when something has; null with `error` otherwise.
// When it is to replace a file, it takes that file's owner (where the user may give it) and
// permissions before a byte is in it, and until then no one else may read it.
std::FILE* CreateNewFile(const std::string& path, const ExistingFile& replaced, bool& taken,
                         std::string& error);

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
