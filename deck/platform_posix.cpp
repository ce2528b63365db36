#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "deck/platform.h"

namespace pelmo::deck {

namespace {

FileKind KindOf(mode_t mode) {
  switch (mode & S_IFMT) {
    case S_IFREG:
      return FileKind::kFile;
    case S_IFDIR:
      return FileKind::kDirectory;
    case S_IFLNK:
      return FileKind::kLink;
    case S_IFIFO:
      return FileKind::kPipe;
    case S_IFSOCK:
      return FileKind::kSocket;
    case S_IFCHR:
    case S_IFBLK:
      return FileKind::kDevice;
    default:
      return FileKind::kOther;
  }
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::FILE* CreateNewFile(const std::string& path, const ExistingFile& replaced, bool& taken,
                         std::string& error) {
  taken = false;
  // A new file is made as any is, 0666 less the umask; a replacement is private until it has the
  // replaced file's mode, which can be narrower.
  const bool replacing = replaced.kind == FileKind::kFile;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      replacing ? 0600 : 0666);
  if (fd < 0) {
    taken = errno == EEXIST;
    error = std::strerror(errno);
    return nullptr;
  }
  if (replacing) {
    // Owner first, as a change of owner clears set-id bits. Only root may give a file away, and
    // some file systems keep no modes: where either fails, the file stays the user's, or private.
    [[maybe_unused]] const int given = fchown(fd, replaced.owner, replaced.group);
    fchmod(fd, static_cast<mode_t>(replaced.mode));
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
  file.kind = KindOf(st.st_mode);
  file.mode = st.st_mode & 07777;
  file.owner = st.st_uid;
  file.group = st.st_gid;
  file.readOnly = (st.st_mode & 0222) == 0;
  // Asked only of what could be replaced.
  if (file.kind == FileKind::kFile && access(path.c_str(), W_OK) != 0) {
    file.notWritable = std::strerror(errno);
  }
  return file;
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
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

std::string NativePath(const std::string& utf8) {
  return utf8;
}

}  // namespace pelmo::deck
