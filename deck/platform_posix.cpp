#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "deck/platform.h"

namespace pelmo::deck {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

void UseUtf8Output() {}

bool ArgumentsAreCp932() {
  return false;
}

}  // namespace pelmo::deck
