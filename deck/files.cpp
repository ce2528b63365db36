#include "deck/files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "deck/platform.h"

namespace pelmo::deck {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool ReadInputFile(const std::string& path, std::string& bytes, std::string& error) {
  if (IsDirectory(path)) {
    error = "a directory, not a file";
    return false;
  }
  errno = 0;
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    error = errno == ENOENT ? std::string("no such file")
                            : "cannot open: " + std::string(std::strerror(errno));
    return false;
  }
  bytes.clear();
  char chunk[1 << 16];
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, f.get());
    if (bytes.size() + n > kMaxInputBytes) {
      error = "too large: more than " + std::to_string(kMaxInputBytes >> 20) +
              " MiB, which no deck needs";
      return false;
    }
    bytes.append(chunk, n);
    if (n < sizeof chunk) {
      break;
    }
  }
  if (std::ferror(f.get())) {
    error = "cannot read: " + std::string(std::strerror(errno));
    return false;
  }
  return true;
}

std::string DescribeNonText(std::string_view bytes) {
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    return "UTF-16 text (it starts with a UTF-16 byte-order mark); save it as UTF-8 or as code "
           "page 932";
  }
  const size_t nul = bytes.find('\0');
  if (nul == std::string_view::npos) {
    return {};
  }
  size_t line = 1;
  for (size_t i = 0; i < nul; ++i) {
    line += bytes[i] == '\n';
  }
  return "binary data, not text (a NUL byte at line " + std::to_string(line) + ", byte offset " +
         std::to_string(nul) + ")";
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         const VerifyFile& verify) {
  if (IsDirectory(path)) {
    error = "a directory, not a file";
    return false;
  }
  std::string temporary;
  for (int n = 0;; ++n) {
    temporary = path + ".tmp" + (n == 0 ? std::string() : std::to_string(n));
    if (!Exists(temporary)) {
      break;
    }
    if (n == 99) {
      error = "cannot find a free name for the temporary file beside it";
      return false;
    }
  }
  errno = 0;
  File f(std::fopen(temporary.c_str(), "wb"));
  if (!f) {
    error = "cannot create " + temporary + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
  const int savedErrno = errno;
  const bool closed = std::fclose(f.release()) == 0;
  if (!written || !closed) {
    std::remove(temporary.c_str());
    error = "cannot write " + temporary + ": " + std::strerror(written ? errno : savedErrno);
    return false;
  }
  std::string why;
  if (verify && !verify(temporary, why)) {
    std::remove(temporary.c_str());
    error = why;
    return false;
  }
  if (!MoveIntoPlace(temporary, path, why)) {
    std::remove(temporary.c_str());
    error = "cannot put the new file in place: " + why;
    return false;
  }
  return true;
}

}  // namespace pelmo::deck
