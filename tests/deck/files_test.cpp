// Reading a file whole, and putting a new one in the place of whatever has its name: what stands
// at the name decides, so each case starts from an empty folder of its own holding only that.
#include "deck/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace pelmo::deck {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

void Put(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Chmod(const fs::path& path, unsigned mode) {
  fs::permissions(path, static_cast<fs::perms>(mode));
}

// A folder of one case's own, in the test's: new and empty at the start, and gone at the end with
// whatever the case left in it, read-only files too. A test process that dies leaves its folders
// behind, but no later one uses their names.
class Scratch {
 public:
  Scratch() {
#ifdef _WIN32
    const std::string process = std::to_string(GetCurrentProcessId());
#else
    const std::string process = std::to_string(getpid());
#endif
    static int next = 0;
    do {
      path_ = fs::current_path() / ("scratch-" + process + "-" + std::to_string(next++));
    } while (!fs::create_directory(path_));
  }
  ~Scratch() {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file(ec)) {
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
      }
    }
    fs::remove_all(path_, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const fs::path& path() const {
    return path_;
  }

 private:
  fs::path path_;
};

// What a call gave back: whether it did its work, and its reason if not (and what it read, but
// not from a child process).
struct Outcome {
  bool ok = false;
  std::string error;
  std::string bytes;
};

// With `asUser`, a user who is not root makes the call: whoever runs the tests, unless that is
// root, who may write anything; then "nobody" does, in a child process, and the case's folder and
// all it holds are made theirs first, as a user's own folder is. With `maxFileSize`, the call is
// made in a child process that can make no file larger, as on a full disk.
#ifdef _WIN32
void MakeTheUsers(bool, const fs::path&) {}

Outcome Call(bool, unsigned, const std::function<Outcome()>& call) {
  return call();
}
#else
const passwd& Nobody() {
  static const passwd* user = getpwnam("nobody");
  return *user;
}

void MakeTheUsers(bool asUser, const fs::path& folder) {
  if (asUser && geteuid() == 0) {
    EXPECT_EQ(lchown(folder.c_str(), Nobody().pw_uid, Nobody().pw_gid), 0);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
      EXPECT_EQ(lchown(entry.path().c_str(), Nobody().pw_uid, Nobody().pw_gid), 0);
    }
  }
}

Outcome Call(bool asUser, unsigned maxFileSize, const std::function<Outcome()>& call) {
  const bool nobody = asUser && geteuid() == 0;
  int channel[2];
  if ((!nobody && maxFileSize == 0) || pipe(channel) != 0) {
    return call();
  }
  const pid_t child = fork();
  if (child == 0) {
    const rlimit limit{maxFileSize, maxFileSize};
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails, as on a full disk
    const bool ready = (maxFileSize == 0 || setrlimit(RLIMIT_FSIZE, &limit) == 0) &&
                       (!nobody || (setgroups(0, nullptr) == 0 && setgid(Nobody().pw_gid) == 0 &&
                                    setuid(Nobody().pw_uid) == 0));
    const Outcome outcome = ready ? call() : Outcome{false, "cannot set the child process up", ""};
    [[maybe_unused]] const ssize_t sent =
        write(channel[1], outcome.error.data(), outcome.error.size());
    _exit(outcome.ok ? 0 : 1);
  }
  close(channel[1]);
  Outcome outcome;
  char chunk[256];
  for (ssize_t n; (n = read(channel[0], chunk, sizeof chunk)) > 0;) {
    outcome.error.append(chunk, static_cast<size_t>(n));
  }
  close(channel[0]);
  int status = 1;
  waitpid(child, &status, 0);
  outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return outcome;
}
#endif

// What stands at a name: its kind ("file", "folder", "link to TARGET" or "other"), permissions,
// owner (where the system has owners) and bytes.
using Entry = std::tuple<std::string, unsigned, unsigned, std::string>;

// Everything in a folder, by its name in the folder.
std::map<std::string, Entry> Snap(const fs::path& folder) {
  std::map<std::string, Entry> snap;
  for (const fs::directory_entry& found : fs::recursive_directory_iterator(folder)) {
    const fs::file_status status = found.symlink_status();
    const bool file = fs::is_regular_file(status);
    const std::string kind = fs::is_symlink(status) ? "link to " + fs::read_symlink(found).string()
                             : fs::is_directory(status) ? "folder"
                             : file                     ? "file"
                                                        : "other";
    unsigned owner = 0;
#ifndef _WIN32
    struct stat st;
    owner = lstat(found.path().c_str(), &st) == 0 ? st.st_uid : -1u;
#endif
    snap[fs::relative(found.path(), folder).generic_string()] = {
        kind, static_cast<unsigned>(status.permissions()), owner, file ? Bytes(found) : ""};
  }
  return snap;
}

// Something the case holds while the call runs (an open handle), released before its folder goes.
using Held = std::shared_ptr<void>;

Held Nothing(const fs::path&) {
  return {};
}

// Longer than "new", so that a file written over in place would show its old tail.
Held OldFile(const fs::path& folder, unsigned mode = 0644) {
  Put(folder / "out", "old and longer");
  Chmod(folder / "out", mode);
  return {};
}

// What stands at OUT (named "out" in the case's folder unless said otherwise) when "new" is
// written in its place.
struct Replacement {
  const char* what;
  Held (*make)(const fs::path& folder);
  const char* refusal;  // a part of the one-line reason it is refused; null: it is replaced
  // Runs when the new file is written, before it is moved into place.
  bool (*verify)(const std::string& temporary, std::string& why) = nullptr;
  bool asUser = false;  // the call made by a user who is not root
  const char* name = "out";
  unsigned maxFileSize = 0;  // where not 0, how large a file may grow (not on Windows)
};

// A file made new, as any program makes one.
Entry NewFile() {
#ifdef _WIN32
  return {"file", 0666, 0, "new"};
#else
  const mode_t mask = umask(0);
  umask(mask);
  return {"file", 0666 & ~mask, geteuid(), "new"};
#endif
}

// Writes "new" at the case's OUT. A refusal changes nothing; a replacement changes OUT alone,
// keeping its permissions and owner. No temporary file is left either way.
void Replace(const Replacement& row) {
  SCOPED_TRACE(row.what);
  Scratch scratch;
  const Held held = row.make(scratch.path());
  MakeTheUsers(row.asUser, scratch.path());
  std::map<std::string, Entry> expected = Snap(scratch.path());
  VerifyFile verify;
  if (row.verify) {  // never in a child process: what it sees is to be seen here
    verify = [&](const std::string& temporary, std::string& why) {
      const bool ok = row.verify(temporary, why);
      expected = Snap(scratch.path());  // what the verifier did, less the file it was given
      EXPECT_EQ(expected.erase(fs::path(temporary).filename().string()), 1u) << temporary;
      return ok;
    };
  }
  const std::string out = (scratch.path() / row.name).string();
  const Outcome outcome = Call(row.asUser, row.maxFileSize, [&] {
    Outcome o;
    o.ok = WriteFileAtomically(out, "new", o.error, verify);
    return o;
  });
  EXPECT_EQ(outcome.ok, !row.refusal) << outcome.error;
  if (row.refusal) {
    EXPECT_NE(outcome.error.find(row.refusal), std::string::npos) << outcome.error;
    EXPECT_EQ(outcome.error.find('\n'), std::string::npos) << outcome.error;
  } else if (Entry& target = expected[row.name]; std::get<0>(target).empty()) {
    target = NewFile();
  } else {
    std::get<3>(target) = "new";
  }
  EXPECT_EQ(Snap(scratch.path()), expected);
}

// Something takes the name after the checks: a folder, which no file replaces.
bool TurnOutIntoAFolder(const std::string& temporary, std::string&) {
  const fs::path out = fs::path(temporary).parent_path() / "out";
  fs::remove(out);
  fs::create_directory(out);
  Put(out / "inside", "kept");
  return true;
}

#ifdef _WIN32
// The file held open by another program, which shares it only as `share` lets others.
template <DWORD share>
Held HoldOpen(const fs::path& folder) {
  OldFile(folder);
  const HANDLE file = CreateFileW((folder / "out").c_str(), GENERIC_READ, share, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  return Held(file, [](void* handle) { CloseHandle(handle); });
}
#else
Held Socket(const fs::path& folder) {
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // Named from the test's folder: the whole path could be too long for a socket's name.
  fs::relative(folder / "out").string().copy(address.sun_path, sizeof address.sun_path - 1);
  EXPECT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(s);  // the name stays
  return {};
}
#endif

// clang-format off
const Replacement kReplacements[] = {
    {"nothing", Nothing, nullptr},
    {"a longer file that all but the group may read and write", [](const fs::path& d) { return OldFile(d, 0606); }, nullptr},
    // Even root, who could write it, leaves a file alone that its owner marked read-only.
    {"a read-only file that anyone may run", [](const fs::path& d) { return OldFile(d, 0555); }, "read-only; make it writable first"},
    {"a directory", [](const fs::path& d) { fs::create_directory(d / "out"); return Held(); }, "a directory, not a file"},
    {"a name in a folder that is not there", Nothing, "cannot create ", nullptr, false, "no/out"},
    {"every name for a temporary file beside it taken", [](const fs::path& d) {
       for (int n = 0; n < 100; ++n) {
         Put(d / ("out.tmp" + (n == 0 ? "" : std::to_string(n))), "");
       }
       return Held();
     }, "cannot find a free name for the temporary file beside it"},
    {"a file, and a check that refuses the new bytes", [](const fs::path& d) { return OldFile(d); },
     "the check says no", [](const std::string& temporary, std::string& why) {
       why = Bytes(temporary) == "new" ? "the check says no" : "the check saw other bytes";
       return false;
     }},
    {"a file that a folder replaces after the checks", [](const fs::path& d) { return OldFile(d); },
     "cannot put the new file in place: ", TurnOutIntoAFolder},
#ifdef _WIN32
    {"the NUL device", Nothing, "a device, not a file", nullptr, false, "NUL"},
    {"a file another program holds open, letting others write it but not remove it",
     HoldOpen<FILE_SHARE_READ | FILE_SHARE_WRITE>, "cannot put the new file in place: "},
    {"a file another program holds open, letting no one else write it", HoldOpen<FILE_SHARE_READ>,
     "cannot be opened for writing ("},
#else
    {"a file that others may write but its owner, who runs the tool, may not",
     [](const fs::path& d) { return OldFile(d, 0466); }, "cannot be opened for writing (Permission denied)", nullptr, true},
    {"a file, and a disk with room for one byte of the new one", [](const fs::path& d) { return OldFile(d); },
     "cannot write ", nullptr, false, "out", 1},
    {"a symbolic link to a file", [](const fs::path& d) {
       fs::create_symlink("target", d / "out");
       Put(d / "target", "old");
       return Held();
     }, "a symbolic link; pelmo-deck replaces only plain files"},
    // Passed over: the name after it is taken, and nothing is written where the link points.
    {"a dangling link where the temporary file would go",
     [](const fs::path& d) { fs::create_symlink("elsewhere", d / "out.tmp"); return Held(); }, nullptr},
    {"a named pipe", [](const fs::path& d) { mkfifo((d / "out").c_str(), 0666); return Held(); },
     "a named pipe, not a file"},
    {"a socket", Socket, "a socket, not a file"},
#endif
};
// clang-format on

TEST(WriteFileAtomically, ReplacesOnlyAFileItMayWriteAndLeavesAllElseAsItWas) {
  for (const Replacement& row : kReplacements) {
    Replace(row);
  }
}

#ifndef _WIN32
// Root may write another user's file, and the file stays theirs.
TEST(WriteFileAtomically, AsRootReplacesAnotherUsersFileForThemButNoDevice) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "only root can make another user's file or a device node";
  }
  // clang-format off
  const Replacement kRootReplacements[] = {
      {"another user's file", [](const fs::path& d) {
         OldFile(d, 0604);
         lchown((d / "out").c_str(), Nobody().pw_uid, Nobody().pw_gid);
         return Held();
       }, nullptr},
      {"a device node", [](const fs::path& d) { mknod((d / "out").c_str(), S_IFCHR | 0666, makedev(1, 3)); return Held(); },
       "a device, not a file"},
  };
  // clang-format on
  for (const Replacement& row : kRootReplacements) {
    Replace(row);
  }
}
#endif

#ifdef __linux__
// The new content of a private file is never readable by others: the temporary file gets its
// mode before a byte is written to it, never after.
TEST(WriteFileAtomically, GivesTheNewFileItsModeBeforeWritingAByte) {
  Scratch scratch;
  const fs::path out = scratch.path() / "out";
  OldFile(scratch.path(), 0600);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(inotify_add_watch(watch, scratch.path().c_str(), IN_ATTRIB | IN_MODIFY), 0);
  std::string error;
  EXPECT_TRUE(WriteFileAtomically(out.string(), "new", error)) << error;
  std::string order;  // 'm' for each change of the temporary file's mode or owner, 'w' for a write
  alignas(inotify_event) char events[4096];
  for (ssize_t n, at; (n = read(watch, events, sizeof events)) > 0;) {
    for (at = 0; at < n;
         at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(events + at)->len) {
      const inotify_event& event = *reinterpret_cast<const inotify_event*>(events + at);
      if (event.len > 0 && event.name == "out.tmp"s) {
        order += event.mask & IN_MODIFY ? 'w' : 'm';
      }
    }
  }
  close(watch);
  EXPECT_TRUE(std::regex_match(order, std::regex("m*w+"))) << order;
}
#endif

// What stands at IN, named "in" in the case's folder unless said otherwise, when it is read.
struct Reading {
  const char* what;
  std::string bytes;                               // in the file, when there is one
  void (*make)(const fs::path& folder) = nullptr;  // what stands there, if not a file of `bytes`
  size_t limit = kMaxInputBytes;
  const char* refusal = nullptr;  // a part of the reason it is not read; null: read whole
  bool asUser = false;            // the call made by a user who is not root
  const char* name = "in";
};

TEST(ReadInputFile, ReadsAFileWholeAndByteForByteOrSaysWhyNot) {
  const std::string mebibyte(size_t{1} << 20, 'x');
  // clang-format off
  const Reading kReadings[] = {
      {"nothing", "", [](const fs::path&) {}, kMaxInputBytes, "no such file"},
      {"a directory", "", [](const fs::path& d) { fs::create_directory(d / "in"); }, kMaxInputBytes,
       "a directory, not a file"},
#ifdef _WIN32
      {"a name under a file", "", [](const fs::path& d) { Put(d / "f", ""); }, kMaxInputBytes, "no such file", false, "f/in"},
#else
      {"a name under a file", "", [](const fs::path& d) { Put(d / "f", ""); }, kMaxInputBytes, "cannot open: Not a directory", false, "f/in"},
      {"a file its owner may not read", "", [](const fs::path& d) { Put(d / "in", "x"); Chmod(d / "in", 0); },
       kMaxInputBytes, "cannot open: Permission denied", true},
#endif
      {"an empty file", ""},
      {"bytes a text reader changes or stops at, past the first 64 KiB", std::string(65536, 'a') + "\r\n\x1a\r\0\xff\n"s},
      {"a file of just the limit", mebibyte, nullptr, mebibyte.size()},
      {"a file a byte over the limit", mebibyte + "x", nullptr, mebibyte.size(), "too large: more than 1 MiB, which no deck needs"},
  };
  // clang-format on
  for (const Reading& row : kReadings) {
    SCOPED_TRACE(row.what);
    Scratch scratch;
    row.make ? row.make(scratch.path()) : Put(scratch.path() / row.name, row.bytes);
    MakeTheUsers(row.asUser, scratch.path());
    const std::string in = (scratch.path() / row.name).string();
    const Outcome outcome = Call(row.asUser, 0, [&] {
      Outcome o{false, "", "what was there before"};
      o.ok = ReadInputFile(in, o.bytes, o.error, row.limit);
      return o;
    });
    EXPECT_EQ(outcome.ok, !row.refusal) << outcome.error;
    if (row.refusal) {
      EXPECT_NE(outcome.error.find(row.refusal), std::string::npos) << outcome.error;
    } else {
      EXPECT_TRUE(outcome.bytes == row.bytes) << outcome.bytes.size() << " bytes";
    }
  }
}

TEST(DescribeNonDeck, NamesUtf16AndBinaryDataWhereTheyShowInWhatPelmoReads) {
  const char kUtf16[] =
      "UTF-16 text (it starts with a UTF-16 byte-order mark); save it as UTF-8 or as code page 932";
  const std::pair<std::string, std::string> kCases[] = {
      {"cat,k,x\r\n", ""},
      {"\xFE", ""},
      {"\xFF\xFE"
       "c\0"s,
       kUtf16},
      {"\xFE\xFF\0c"s, kUtf16},
      {"\xFF\xFF\0"s, "binary data, not text (a NUL byte at line 1, byte offset 2)"},
      {"a\r\nb\n\nc\0"s, "binary data, not text (a NUL byte at line 4, byte offset 7)"},
      {"\n\0\x1a"s, "binary data, not text (a NUL byte at line 2, byte offset 1)"},
      {"a\x1a\0"s, ""},  // after the end of the deck
  };
  for (const auto& [bytes, expected] : kCases) {
    EXPECT_EQ(DescribeNonDeck(bytes), expected) << ::testing::PrintToString(bytes);
  }
  EXPECT_EQ(DescribeNonText("a\x1a\0"s),
            "binary data, not text (a NUL byte at line 1, byte offset 2)");
}

}  // namespace
}  // namespace pelmo::deck
