// Reading a file whole, and putting a new one in the place of whatever has its name: what stands
// at the name decides, so each case starts from an empty folder of its own holding only that.
#include "deck/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>

#include "tests/support/scratch_folder.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace pelmo::deck {
namespace {

using namespace std::string_literals;
using namespace pelmo::testing;
namespace fs = std::filesystem;

// Everything in the current folder, by name: its type, mode and owner (where the system has
// owners), where a link points and what a file holds.
std::map<std::string, std::string> Listing() {
  std::map<std::string, std::string> listing;
  for (const fs::directory_entry& found : fs::recursive_directory_iterator(".")) {
    const fs::file_status status = found.symlink_status();
    struct stat st {};
#ifndef _WIN32
    lstat(found.path().c_str(), &st);
#endif
    std::string& entry = listing[found.path().generic_string()];
    entry = "type " + std::to_string(static_cast<int>(status.type())) + ", mode " +
            std::to_string(static_cast<unsigned>(status.permissions())) + ", owner " +
            std::to_string(st.st_uid);
    entry += fs::is_symlink(status) ? " to " + fs::read_symlink(found).string() : "";
    entry += fs::is_regular_file(status) ? ": " + ReadBytes(found) : "";
  }
  return listing;
}

// What a row holds until it ends: another program's handle, or a change to this process.
using Held = std::shared_ptr<void>;

// Longer than "new", so that a file written over in place would show its old tail.
Held OldFile(unsigned mode = 0644) {
  WriteBytes("out", "old and longer");
  fs::permissions("out", static_cast<fs::perms>(mode));
  return {};
}

#ifdef _WIN32
// The file held open by another program, which shares it only as `share` lets others.
template <DWORD share>
Held HoldOpen() {
  OldFile();
  const HANDLE file = CreateFileW(L"out", GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  return Held(file, CloseHandle);
}
#else
const passwd& kNobody = *getpwnam("nobody");

// The call made by a user who is not root: whoever runs the tests, unless that is root, who may
// write anything; then "nobody", given the folder and OUT, as a user's own folder is theirs.
Held AsAUser() {
  if (geteuid() != 0) {
    return {};
  }
  for (const char* name : {".", "out"}) {
    EXPECT_EQ(lchown(name, kNobody.pw_uid, kNobody.pw_gid), 0);
  }
  EXPECT_EQ(setresuid(kNobody.pw_uid, kNobody.pw_uid, 0), 0);  // root stays the saved user
  return Held(nullptr, [](void*) { EXPECT_EQ(setresuid(0, 0, 0), 0); });
}

// As on a full disk: no file may grow past one byte, and a write past it fails.
Held RoomForOneByte() {
  static rlimit before;
  getrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, SIG_IGN);
  const rlimit one{1, before.rlim_max};
  EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &one), 0);
  return Held(nullptr, [](void*) { setrlimit(RLIMIT_FSIZE, &before); });
}
#endif

// What stands at OUT, or beside it, when "new" is written in its place.
struct Replacement {
  const char* what;
  Held (*make)();
  const char* refusal;  // a part of the one-line reason it is refused; null: it is replaced
  bool root = false;    // only root can make it
  bool (*verify)(const std::string& temporary, std::string& why) = nullptr;
  const char* name = "out";
};

// clang-format off
const Replacement kReplacements[] = {
    {"nothing", [] { return Held(); }, nullptr},
    {"a longer file that all but the group may read and write", [] { return OldFile(0606); }, nullptr},
    // Even root, who could write it, leaves a file alone that its owner marked read-only.
    {"a read-only file that anyone may run", [] { return OldFile(0555); }, "read-only; make it writable first"},
    {"a name in a folder that is not there", [] { return Held(); }, "cannot create ", false, nullptr, "no/out"},
    {"every name for a temporary file beside it taken", [] {
       for (int n = 0; n < 100; ++n) {
         WriteBytes("out.tmp" + (n == 0 ? "" : std::to_string(n)), "");
       }
       return Held();
     }, "cannot find a free name for the temporary file beside it"},
    {"a file, and a check that refuses the new bytes", [] { return OldFile(); }, "the check saw new", false,
     [](const std::string& temporary, std::string& why) { return (why = "the check saw " + ReadBytes(temporary)).empty(); }},
    {"a file that a folder replaces after the checks", [] { return OldFile(); }, "cannot put the new file in place: ",
     false, [](const std::string&, std::string&) { return fs::remove("out") && fs::create_directories("out/in"); }},
#ifdef _WIN32
    {"the NUL device", [] { return Held(); }, "a device, not a file", false, nullptr, "NUL"},
    {"a file others hold open, sharing all but its removal", HoldOpen<FILE_SHARE_READ | FILE_SHARE_WRITE>, "cannot put "},
    {"a file others hold open, sharing no writing", HoldOpen<FILE_SHARE_READ>, "cannot be opened for writing ("},
#else
    {"a file that others may write but its owner, who runs the tool, may not",
     [] { OldFile(0466); return AsAUser(); }, "cannot be opened for writing (Permission denied)"},
    {"a file, and room on the disk for a byte of the new one", [] { OldFile(); return RoomForOneByte(); }, "cannot write "},
    {"a symbolic link to a file", [] { fs::create_symlink("target", "out"); return OldFile(); },
     "a symbolic link; pelmo-deck replaces only plain files"},
    // Passed over: the name after it is taken, and nothing is written where the link points.
    {"a dangling link where the temporary file would go",
     [] { fs::create_symlink("elsewhere", "out.tmp"); return Held(); }, nullptr},
    {"a named pipe", [] { mknod("out", S_IFIFO | 0666, 0); return Held(); }, "a named pipe, not a file"},
    {"a socket", [] { mknod("out", S_IFSOCK | 0666, 0); return Held(); }, "a socket, not a file"},
    {"a device node", [] { mknod("out", S_IFCHR | 0666, 0); return Held(); }, "a device, not a file", true},
    // Root may write another user's file, and it stays theirs.
    {"another user's file", [] { OldFile(0604); lchown("out", kNobody.pw_uid, 0); return Held(); }, nullptr, true},
#endif
};
// clang-format on

// A refusal changes nothing; a replacement changes OUT alone, keeping its mode and owner. No
// temporary file is left either way.
TEST(WriteFileAtomically, ReplacesOnlyAFileItMayWriteAndLeavesAllElseAsItWas) {
  for (const Replacement& row : kReplacements) {
    SCOPED_TRACE(row.what);
#ifndef _WIN32
    if (row.root && geteuid() != 0) {
      continue;
    }
#endif
    ScratchFolder folder;
    const Held held = row.make();
    std::map<std::string, std::string> expected = Listing();
    const VerifyFile verify = [&](const std::string& temporary, std::string& why) {
      const bool ok = row.verify(temporary, why);
      expected = Listing();  // as the check left it, less the file it was given
      EXPECT_EQ(expected.erase("./out.tmp"), 1u) << temporary;  // named beside OUT
      return ok;
    };
    std::string error;
    const bool ok = WriteFileAtomically(row.name, "new", error, row.verify ? verify : nullptr);
    EXPECT_EQ(ok, !row.refusal) << error;
    if (row.refusal) {
      EXPECT_NE(error.find(row.refusal), std::string::npos) << error;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    } else if (std::string& out = expected["./"s + row.name]; !out.empty()) {
      out = out.substr(0, out.find(": ") + 2) + "new";
    } else {  // as any program makes a new file
      WriteBytes("reference", "new");
      out = expected["./reference"] = Listing()["./reference"];
    }
    EXPECT_EQ(Listing(), expected);
  }
}

#ifdef __linux__
// No one else may read a private file's new content: the temporary file gets its mode before a
// byte is written to it.
TEST(WriteFileAtomically, GivesTheNewFileItsModeBeforeWritingAByte) {
  ScratchFolder folder;
  OldFile(0600);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(inotify_add_watch(watch, ".", IN_ATTRIB | IN_MODIFY), 0);
  std::string error;
  EXPECT_TRUE(WriteFileAtomically("out", "new", error)) << error;
  std::string order;  // 'm' for each change of its mode or owner, 'w' for a write (all to out.tmp)
  alignas(inotify_event) char events[4096];
  const ssize_t n = read(watch, events, sizeof events);
  for (ssize_t at = 0; at < n;
       at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(events + at)->len) {
    order += reinterpret_cast<inotify_event*>(events + at)->mask & IN_MODIFY ? 'w' : 'm';
  }
  close(watch);
  EXPECT_TRUE(std::regex_match(order, std::regex("m*w+"))) << order;
}
#endif

TEST(ReadInputFile, ReadsAFileWholeUpToItsLimitButNoFolder) {
  ScratchFolder folder;
  // Bytes a text reader changes or stops at, past the first 64 KiB, in just the limit of 1 MiB.
  const std::string mebibyte = std::string((1 << 20) - 7, 'a') + "\r\n\x1a\r\0\xff\n"s;
  WriteBytes("limit", mebibyte);
  WriteBytes("over", mebibyte + "x");
  fs::create_directory("folder");
  const std::pair<const char*, std::string> kCases[] = {
      // what is read, or why not
      {"limit", mebibyte},
      {"over", "too large: more than 1 MiB, which no deck needs"},
      {"folder", "a directory, not a file"},
#ifdef _WIN32
      {"limit/under", "no such file"},
#else
      {"limit/under", "cannot open: Not a directory"},  // even for root: a file holds no names
#endif
  };
  for (const auto& [name, expected] : kCases) {
    std::string bytes = "what was there before", error;
    const bool ok = ReadInputFile(name, bytes, error, size_t{1} << 20);
    EXPECT_TRUE((ok ? bytes : error) == expected) << name << ": " << error;
  }
}

TEST(DescribeNonDeck, NamesUtf16AndBinaryDataWhereTheyShowInWhatPelmoReads) {
  const char kUtf16[] =
      "UTF-16 text (it starts with a UTF-16 byte-order mark); save it as UTF-8 or as code page 932";
  const std::pair<std::string, std::string> kCases[] = {
      {"\xFF\xFE", kUtf16},
      {"\xFE\xFF\0c"s, kUtf16},
      {"\xFF\xFF\0"s, "binary data, not text (a NUL byte at line 1, byte offset 2)"},
      {"a\r\nb\n\nc\0"s, "binary data, not text (a NUL byte at line 4, byte offset 7)"},
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
