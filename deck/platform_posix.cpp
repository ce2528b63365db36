#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::FILE* CreateNewFile(const std::string& path, bool& taken, std::string& error) {
  taken = false;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    taken = errno == EEXIST;
    error = std::strerror(errno);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "wb");
  if (!f) {
    error = std::strerror(errno);
    close(fd);
  }
  return f;
}

ExistingFile InspectFile(const std::string& path) {
  ExistingFile file;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    return file;
  }
  file.exists = true;
  file.link = S_ISLNK(st.st_mode);
  file.mode = st.st_mode & 07777;
  file.readOnly = (st.st_mode & 0222) == 0;
  return file;
}

void CopyMode(const std::string& path, unsigned mode) {
  chmod(path.c_str(), static_cast<mode_t>(mode));
}

bool MoveIntoPlace(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

void UseUtf8Output() {}

std::vector<std::string> CommandLineUtf8(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string NativePath(const std::string& utf8) {
  return utf8;
}

}  // namespace pelmo::deck
