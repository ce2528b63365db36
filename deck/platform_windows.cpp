// windows.h first: the other system headers build on it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

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

// The system's words for an error, on one line.
std::string SystemMessage(DWORD code) {
  char text[256] = {};
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), text, sizeof text, nullptr) == 0) {
    return "Windows error " + std::to_string(code);
  }
  std::string message = text;
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

// A handle only to ask about a file, shared with everyone so as to stand in no one's way.
HANDLE OpenToAsk(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
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

std::FILE* CreateNewFile(const std::string& path, const ExistingFile&, bool& taken,
                         std::string& error) {
  taken = false;
  // _O_EXCL is CREATE_NEW: it fails on any name already there, links included. Windows keeps no
  // modes to give it, and the folder's access rules pass to it as to any new file.
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
  file.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    file.kind = FileKind::kLink;
    return file;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    file.kind = FileKind::kDirectory;
    return file;
  }
  // A device (NUL, COM1) or a pipe has attributes as a file has; only a handle tells them apart.
  HANDLE h = OpenToAsk(path, 0);
  if (h == INVALID_HANDLE_VALUE) {
    file.kind = FileKind::kOther;
    return file;
  }
  const DWORD type = GetFileType(h);
  CloseHandle(h);
  file.kind = type == FILE_TYPE_DISK   ? FileKind::kFile
              : type == FILE_TYPE_PIPE ? FileKind::kPipe
              : type == FILE_TYPE_CHAR ? FileKind::kDevice
                                       : FileKind::kOther;
  // Write access the file's rules deny, or another program's handle that shares no writing.
  if (file.kind == FileKind::kFile && !file.readOnly) {
    h = OpenToAsk(path, GENERIC_WRITE);
    if (h == INVALID_HANDLE_VALUE) {
      file.notWritable = SystemMessage(GetLastError());
    } else {
      CloseHandle(h);
    }
  }
  return file;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, std::string& error) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  error = SystemMessage(GetLastError());
  return false;
}

void UseUtf8Output() {
  const UINT current = GetConsoleOutputCP();
  if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    savedOutputCodePage = current;
    std::atexit(&RestoreOutputCodePage);
  }
}

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
  const int n =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

// Null when a character has no form in the code page.
std::optional<std::string> Narrow(const std::wstring& wide, UINT codePage) {
  BOOL lost = FALSE;
  const bool exact = codePage != CP_UTF8;
  const int n = WideCharToMultiByte(codePage, exact ? WC_NO_BEST_FIT_CHARS : 0, wide.data(),
                                    static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                    exact ? &lost : nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, exact ? WC_NO_BEST_FIT_CHARS : 0, wide.data(),
                      static_cast<int>(wide.size()), text.data(), n, nullptr,
                      exact ? &lost : nullptr);
  if (lost) {
    return std::nullopt;
  }
  return text;
}

}  // namespace

std::vector<std::string> CommandLineUtf8(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  }
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) {
    args.push_back(Narrow(wide[i], CP_UTF8).value_or(""));
  }
  LocalFree(wide);
  return args;
}

std::string NativePath(const std::string& utf8) {
  return Narrow(Wide(utf8, CP_UTF8), CP_ACP).value_or(utf8);
}

}  // namespace pelmo::deck
