#include "deck/files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "deck/platform.h"

namespace pelmo::deck {

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr char kDirectoryNotFile[] = "a directory, not a file";

}  // namespace

bool ReadInputFile(const std::string& path, std::string& bytes, std::string& error, size_t limit) {
  if (IsDirectory(path)) {
    error = kDirectoryNotFile;
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
    if (bytes.size() + n > limit) {
      error = "too large: more than " + std::to_string(limit >> 20) + " MiB, which no deck needs";
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

std::string DescribeNonDeck(std::string_view bytes) {
  return DescribeNonText(bytes.substr(0, bytes.find('\x1a')));
}

namespace {

// Why what stands at a name may not be replaced by a file; empty when it may, or nothing is there.
std::string WhyNotReplaced(const ExistingFile& existing) {
  switch (existing.kind) {
    case FileKind::kNothing:
    case FileKind::kFile:
      break;
    case FileKind::kDirectory:
      return kDirectoryNotFile;
    case FileKind::kLink:
      return "a symbolic link; pelmo-deck replaces only plain files, so name the file it points to";
    case FileKind::kPipe:
      return "a named pipe, not a file";
    case FileKind::kSocket:
      return "a socket, not a file";
    case FileKind::kDevice:
      return "a device, not a file";
    case FileKind::kOther:
      return "not a plain file";
  }
  // The mark holds even for root, who could write the file: it is how its owner keeps it.
  if (existing.readOnly) {
    return "read-only; make it writable first if it is to be replaced";
  }
  if (!existing.notWritable.empty()) {
    return "cannot be opened for writing (" + existing.notWritable + "), so it is not replaced";
  }
  return {};
}

}  // namespace

std::string WhyNotReplaced(const std::string& path) {
  return WhyNotReplaced(InspectFile(path));
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         const VerifyFile& verify) {
  const ExistingFile existing = InspectFile(path);
  if (std::string why = WhyNotReplaced(existing); !why.empty()) {
    error = std::move(why);
    return false;
  }
  // Made exclusively: a name that something already has, even a dangling link, is passed over.
  std::string temporary;
  File f;
  for (int n = 0; !f; ++n) {
    if (n == 100) {
      error = "cannot find a free name for the temporary file beside it";
      return false;
    }
    temporary = path + ".tmp" + (n == 0 ? std::string() : std::to_string(n));
    bool taken = false;
    std::string why;
    f.reset(CreateNewFile(temporary, existing, taken, why));
    if (!f && !taken) {
      error = "cannot create " + temporary + ": " + why;
      return false;
    }
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
