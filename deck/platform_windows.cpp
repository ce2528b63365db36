#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "deck/platform.h"

namespace pelmo::deck {

namespace {

bool FileIndex(const std::string& name, BY_HANDLE_FILE_INFORMATION& info) {
  // Directories open only with backup semantics; a name that does not open is no file.
  HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

UINT savedOutputCodePage = 0;

void RestoreOutputCodePage() {
  SetConsoleOutputCP(savedOutputCodePage);
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia;
  BY_HANDLE_FILE_INFORMATION ib;
  return FileIndex(a, ia) && FileIndex(b, ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

std::FILE* CreateNewFile(const std::string& path, bool& taken, std::string& error) {
  taken = false;
  // _O_EXCL is CREATE_NEW: it fails on any name already there, links included.
  const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                       _S_IREAD | _S_IWRITE);
  if (fd < 0) {
    taken = errno == EEXIST;
    error = std::strerror(errno);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, "wb");
  if (!f) {
    error = std::strerror(errno);
    _close(fd);
  }
  return f;
}

ExistingFile InspectFile(const std::string& path) {
  ExistingFile file;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return file;
  }
  file.exists = true;
  file.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  file.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  return file;
}

void CopyMode(const std::string&, unsigned) {}

bool MoveIntoPlace(const std::string& from, const std::string& to, std::string& error) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  char text[256] = {};
  const DWORD code = GetLastError();
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), text, sizeof text, nullptr) == 0) {
    error = "Windows error " + std::to_string(code);
  } else {
    error = text;
    while (!error.empty() &&
           (error.back() == '\n' || error.back() == '\r' || error.back() == '.')) {
      error.pop_back();
    }
  }
  return false;
}

void UseUtf8Output() {
  const UINT current = GetConsoleOutputCP();
  if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    savedOutputCodePage = current;
    std::atexit(&RestoreOutputCodePage);
  }
}

// pelmo is made for systems whose ANSI code page is 932; one set to UTF-8 passes UTF-8.
bool ArgumentsAreCp932() {
  return GetACP() != CP_UTF8;
}

}  // namespace pelmo::deck
