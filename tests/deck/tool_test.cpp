// The command line as a whole: exit statuses, one-line errors, and inputs left as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "deck/tool.h"
#include "tests/support/deck_file.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace pelmo::deck {
namespace {

using namespace std::string_literals;
using pelmo::testing::DeckFile;
namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome Tool(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunDeckTool(args, out, err);
  return {status, out.str(), err.str()};
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Lines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// An error is one line that names the program.
void ExpectOneLineError(const Outcome& run, const std::string& part) {
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Lines(run.err), 1u) << run.err;
  EXPECT_EQ(run.err.rfind("pelmo-deck: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
}

// Remembers a file's bytes and time, to show that a command left it alone.
class Untouched {
 public:
  explicit Untouched(std::string path)
      : path_(std::move(path)), bytes_(ReadBytes(path_)), time_(fs::last_write_time(path_)) {}
  ~Untouched() {
    EXPECT_EQ(ReadBytes(path_), bytes_) << path_;
    EXPECT_EQ(fs::last_write_time(path_), time_) << path_;
  }

 private:
  std::string path_;
  std::string bytes_;
  fs::file_time_type time_;
};

const std::string kGoodDeck = "cat,k[ae!]t,\x94\x4C\r\ndog,do1!g,\x8C\xA2\r\n";

TEST(Tool, PrintsItsUsageWhenAskedAndFailsWithoutACommand) {
  const Outcome help = Tool({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: pelmo-deck"), std::string::npos);
  for (const char* command : {"check", "ipa", "render", "import"}) {
    EXPECT_NE(help.out.find(std::string("  ") + command), std::string::npos) << command;
  }
  const Outcome none = Tool({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, help.out);
}

struct Misuse {
  const char* name;
  std::vector<std::string> args;
  const char* part;
};

const Misuse kMisuse[] = {
    {"an unknown command", {"frobnicate"}, "unknown command"},
    {"check without a file", {"check"}, "no file given"},
    {"an unknown option", {"check", "--jsn", "x.csv"}, "unknown option --jsn"},
    {"ipa without a notation", {"ipa"}, "no notation given"},
    {"ipa with two notations", {"ipa", "a", "b"}, "one notation only"},
    {"render without an output", {"render", "a"}, "an output file"},
    {"render with a bad scale", {"render", "--scale", "0", "a", "x.png"}, "from 1 to 16"},
    {"render with a scale that is no number", {"render", "--scale=x2", "a", "x.png"}, "scale"},
    {"import without an output", {"import", "in.csv"}, "an input and an output"},
    {"import with both formats", {"import", "--csv", "--tsv", "a", "b"}, "exclude"},
    {"import with two characters for a comma",
     {"import", "--comma", "ab", "a", "b"},
     "one character"},
    {"import with a comma for a comma", {"import", "--comma", ",", "a", "b"}, "code page 932"},
    {"import with an emoji for a comma",
     {"import", "--comma", "U+1F600", "a", "b"},
     "code page 932"},
    {"an option without its value", {"render", "a", "x.png", "--scale"}, "needs a value"},
};

TEST(Tool, RefusesMisuseInOneLine) {
  for (const Misuse& m : kMisuse) {
    SCOPED_TRACE(m.name);
    ExpectOneLineError(Tool(m.args), m.part);
  }
}

TEST(Check, ExitsZeroOneOrTwoBySeverity) {
  DeckFile clean(kGoodDeck, "tool-clean.csv");
  DeckFile warned("cat,ka5t,x\r\n", "tool-warned.csv");
  DeckFile broken("cat,k,x\r\n\r\ndog,d,y\r\n", "tool-broken.csv");
  EXPECT_EQ(Tool({"check", clean.name()}).status, 0);
  const Outcome w = Tool({"check", warned.name()});
  EXPECT_EQ(w.status, 1);
  EXPECT_NE(w.out.find("tool-warned.csv:1:6: warning: "), std::string::npos) << w.out;
  EXPECT_NE(w.out.find("tool-warned.csv: 0 errors, 1 warning, 1 note"), std::string::npos) << w.out;
  const Outcome b = Tool({"check", broken.name()});
  EXPECT_EQ(b.status, 2);
  EXPECT_NE(b.out.find("tool-broken.csv:2: error: "), std::string::npos) << b.out;
  // Several files: the worst status wins.
  EXPECT_EQ(Tool({"check", clean.name(), warned.name()}).status, 1);
}

TEST(Check, WritesOneJsonObjectPerFindingAndLine) {
  DeckFile warned("cat,ka5t,\"x\\\"y\r\n", "tool-json.csv");
  const Outcome run = Tool({"check", "--json", warned.name()});
  EXPECT_EQ(run.status, 1);
  std::istringstream lines(run.out);
  size_t objects = 0;
  for (std::string line; std::getline(lines, line); ++objects) {
    EXPECT_EQ(line.front(), '{') << line;
    EXPECT_EQ(line.back(), '}') << line;
    EXPECT_NE(line.find("\"file\":\"tool-json.csv\""), std::string::npos) << line;
  }
  EXPECT_EQ(objects, 2u) << run.out;  // the row count and the unknown token
  EXPECT_NE(run.out.find(R"("line":1,"column":6,"severity":"warning","code":"unknown-token")"),
            std::string::npos)
      << run.out;
}

struct BadFile {
  const char* name;
  std::string bytes;
  const char* part;
};

TEST(Check, GivesOneLineForEveryFileItCannotRead) {
  const BadFile kBad[] = {
      {"binary data", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, "binary data"},
      {"UTF-16 text",
       "\xFF\xFE"
       "c\0a\0t\0"s,
       "UTF-16"},
  };
  for (const BadFile& b : kBad) {
    SCOPED_TRACE(b.name);
    DeckFile file(b.bytes, "tool-bad.csv");
    Untouched same(file.name());
    ExpectOneLineError(Tool({"check", file.name()}), b.part);
    ExpectOneLineError(Tool({"import", file.name(), "tool-bad-out.csv"}), b.part);
    EXPECT_FALSE(fs::exists("tool-bad-out.csv"));
  }
  ExpectOneLineError(Tool({"check", "tool-missing.csv"}), "tool-missing.csv: no such file");
  fs::create_directories("tool-folder.csv");
  ExpectOneLineError(Tool({"check", "tool-folder.csv"}), "a directory");
  ExpectOneLineError(Tool({"import", "tool-folder.csv", "tool-bad-out.csv"}), "a directory");
}

TEST(Check, RefusesAFileTooLargeForAnyDeck) {
  const std::string name = "tool-huge.csv";
  { std::ofstream(name, std::ios::binary) << "cat,k,x\r\n"; }
  fs::resize_file(name, (size_t{64} << 20) + 1);
  ExpectOneLineError(Tool({"check", name}), "too large");
  ExpectOneLineError(Tool({"import", name, "tool-huge-out.csv"}), "too large");
  fs::remove(name);
}

#ifndef _WIN32
TEST(Check, SaysWhenAFileCannotBeOpened) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "root reads every file";
  }
  DeckFile file(kGoodDeck, "tool-locked.csv");
  fs::permissions(file.name(), fs::perms::none);
  ExpectOneLineError(Tool({"check", file.name()}), "cannot open");
  fs::permissions(file.name(), fs::perms::owner_read | fs::perms::owner_write);
}
#endif

TEST(Check, LeavesTheDeckAsItWas) {
  DeckFile file("cat,ka5t,x\r\n\r\nlost,l,y\x1Amore", "tool-untouched.csv");
  Untouched same(file.name());
  EXPECT_EQ(Tool({"check", file.name()}).status, 2);
  EXPECT_EQ(Tool({"check", "--json", file.name()}).status, 2);
}

TEST(Import, WritesTheDeckAndSaysHowManyRowsItWroteAndRefused) {
  DeckFile in("cat,k[ae!]t,\xE7\x8C\xAB\nbad,\"k,t\",x\n,,\nend,e0,\"1\n2\"\n", "tool-in.csv");
  Untouched same(in.name());
  const Outcome run = Tool({"import", in.name(), "tool-out.csv"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "tool-out.csv: 2 rows written, 1 refused, 1 empty skipped\n");
  EXPECT_EQ(run.err,
            "tool-in.csv:2: pronunciation: a comma, at which the viewer ends the field (--comma "
            "CHAR writes another character in its place) [comma]\n");
  EXPECT_EQ(ReadBytes("tool-out.csv"), "cat,k[ae!]t,\x94\x4C\r\nend,e0,1\\n2\r\n");
  EXPECT_FALSE(fs::exists("tool-out.csv.tmp"));
  fs::remove("tool-out.csv");
}

TEST(Import, ReplacesAnOlderOutputWhole) {
  DeckFile in("a,a0,x\n", "tool-in2.csv");
  DeckFile old("old,o,a much longer line than the new deck has\r\n", "tool-old.csv");
  EXPECT_EQ(Tool({"import", in.name(), old.name()}).status, 0);
  EXPECT_EQ(ReadBytes(old.name()), "a,a0,x\r\n");
  EXPECT_FALSE(fs::exists(old.name() + ".tmp"));
}

TEST(Import, NeverWritesOverItsInput) {
  DeckFile in("a,a0,x\n", "tool-self.csv");
  Untouched same(in.name());
  ExpectOneLineError(Tool({"import", in.name(), in.name()}), "the input file");
  ExpectOneLineError(Tool({"import", in.name(), "./" + in.name()}), "the input file");
  std::error_code linkError;
  fs::create_hard_link(in.name(), "tool-self-link.csv", linkError);
  if (!linkError) {
    ExpectOneLineError(Tool({"import", in.name(), "tool-self-link.csv"}), "the input file");
    fs::remove("tool-self-link.csv");
  }
}

TEST(Import, WritesNothingWhenNoRowCanBeWritten) {
  DeckFile in("a,\"k,t\",x\n", "tool-none.csv");
  const Outcome run = Tool({"import", in.name(), "tool-none-out.csv"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("not written: no row to write (1 refused)"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists("tool-none-out.csv"));
  DeckFile cp932("cat,k,\x94\x4C\n", "tool-sjis.csv");
  ExpectOneLineError(Tool({"import", cp932.name(), "tool-none-out.csv"}), "not UTF-8");
  EXPECT_FALSE(fs::exists("tool-none-out.csv"));
  fs::create_directories("tool-out-folder");
  ExpectOneLineError(Tool({"import", cp932.name(), "tool-out-folder"}), "a directory");
}

TEST(Import, WritesTheChosenCharacterForCommas) {
  DeckFile in("a,k,\"x, y\"\n", "tool-comma.csv");
  // The character as this system's command line carries it, and as a code point.
#ifdef _WIN32
  const std::string ideographicComma = "\x81\x41";
#else
  const std::string ideographicComma = "\xE3\x80\x81";
#endif
  for (const std::string& comma : {ideographicComma, std::string("U+3001")}) {
    const Outcome run = Tool({"import", "--comma", comma, in.name(), "tool-comma-out.csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes("tool-comma-out.csv"), "a,k,x\x81\x41 y\r\n");
  }
  fs::remove("tool-comma-out.csv");
}

TEST(Ipa, PrintsIpaAndWarnsAboutWhatDrawsNothing) {
  const Outcome clean = Tool({"ipa", "s1i0:p"});
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out, "\xCA\x83i\xCB\x90p\n");
  EXPECT_EQ(clean.err, "");
  const Outcome warned = Tool({"ipa", "ka5t"});
  EXPECT_EQ(warned.status, 1);
  EXPECT_EQ(warned.out, "kt\n");
  EXPECT_EQ(warned.err,
            "pelmo-deck: ipa: column 2: warning: \xE2\x80\x9C"
            "a5\xE2\x80\x9D draws nothing: the "
            "glyph table has no such token [unknown-token]\n");
  EXPECT_EQ(Tool({"ipa", "--", "-a0"}).out, "a\n");  // "--" ends the options
}

TEST(Render, WritesAPngOfTheSizeItNames) {
  const Outcome run = Tool({"render", "a0a0", "tool-render.png"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "tool-render.png: 34 x 34 pixels\n");
  const std::string png = ReadBytes("tool-render.png");
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  const Outcome scaled = Tool({"render", "--scale", "3", "a0a0", "tool-render.png"});
  EXPECT_EQ(scaled.out, "tool-render.png: 102 x 102 pixels\n");
  const Outcome warned = Tool({"render", "[x", "tool-render.png"});
  EXPECT_EQ(warned.status, 1);  // written, with a warning about the "["
  EXPECT_NE(warned.err.find("[unmatched-bracket]"), std::string::npos) << warned.err;
  EXPECT_FALSE(fs::exists("tool-render.png.tmp"));
  fs::remove("tool-render.png");
  fs::create_directories("tool-render-folder");
  ExpectOneLineError(Tool({"render", "a", "tool-render-folder"}), "a directory");
}

#ifdef PELMO_DECK_EXE
// The built program in a process of its own: what the shell sees.
Outcome Process(const std::string& arguments) {
  const std::string command =
      std::string(PELMO_DECK_EXE) + " " + arguments + " 2>tool-process-err.txt";
  Outcome run{-1, "", ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return run;
  }
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    run.out.append(buffer, n);
  }
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadBytes("tool-process-err.txt");
  std::remove("tool-process-err.txt");
  return run;
}

TEST(Process, ExitsWithTheStatusOfItsFindings) {
  DeckFile clean(kGoodDeck, "process-clean.csv");
  DeckFile warned("cat,ka5t,x\r\n", "process-warned.csv");
  DeckFile broken(
      "\xEF\xBB\xBF"
      "cat,k,x\r\n",
      "process-broken.csv");
  EXPECT_EQ(Process("check process-clean.csv").status, 0);
  EXPECT_EQ(Process("check process-warned.csv").status, 1);
  const Outcome b = Process("check --json process-broken.csv");
  EXPECT_EQ(b.status, 2);
  EXPECT_NE(b.out.find("\"code\":\"utf8-bom\""), std::string::npos) << b.out;
}

TEST(Process, SaysInOneLineWhatItCannotRead) {
  const Outcome run = Process("check process-missing.csv");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "pelmo-deck: check: process-missing.csv: no such file\n");
  EXPECT_EQ(run.out, "");
}

TEST(Process, PrintsIpaAsUtf8) {
  const Outcome run = Process("ipa 'pre1na2!!nsie0!i1s1e1n'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "pr\xC9\x99n\xCA\x8C\xCC\x80nsie\xCC\x81\xC9\xAA\xCA\x83\xC9\x99n\n");
}
#endif

}  // namespace
}  // namespace pelmo::deck
