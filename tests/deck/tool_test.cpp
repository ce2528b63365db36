// The command line's wiring: arguments, exit statuses, which stream says what, and which files
// are written; what each command finds is tested on the pieces themselves. Each group runs in an
// empty folder of its own, holding only the files its rows need.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "deck/tool.h"
#ifdef PELMO_DECK_EXE
#include <sys/wait.h>
#endif
#include "tests/support/scratch_folder.h"

namespace pelmo::deck {
namespace {

using namespace std::string_literals;
using pelmo::testing::ReadBytes;
using pelmo::testing::ScratchFolder;
using pelmo::testing::WriteBytes;
namespace fs = std::filesystem;

struct Invocation {
  std::vector<std::string> args;
  int status;
  std::string out;  // a part of standard output; empty: nothing may be written there
  std::string err;  // a part of standard error, which must then be one line for status 2
  std::string file =
      "";  // "NAME=its bytes" (of a picture or page the first) if written, "NAME" if not
};

using Inputs = std::vector<std::pair<std::string, std::string>>;

// The decks most rows read.
const Inputs kDecks = {
    {"ok.csv", "cat,k[ae!]t,\x94\x4C\r\ndog,do1!g,\x8C\xA2\r\n"},
    {"warned.csv", "cat,ka5t\\\t\x7F,x\r\n"},
    {"broken.csv", "cat,k,x\r\n\r\ndog,d,y\r\n"},
    {"binary.csv", "PK\x03\x04\0\0"s},
    {"nodata.csv", "\r\n"},
    {"small.csv", "a,a0,x\n"},
};

// Runs each row in the current folder, after writing `inputs` there; then checks that no input
// was written to and no temporary file is left.
void RunRows(const Inputs& inputs, const std::vector<Invocation>& rows) {
  for (const auto& [name, bytes] : inputs) {
    WriteBytes(name, bytes);
  }
  for (const Invocation& run : rows) {
    SCOPED_TRACE(::testing::PrintToString(run.args));
    std::ostringstream out, err;
    EXPECT_EQ(RunDeckTool(run.args, out, err), run.status);
    const std::string said = err.str();
    EXPECT_TRUE(run.out.empty() ? out.str().empty() : out.str().find(run.out) != std::string::npos)
        << out.str();
    EXPECT_TRUE(run.err.empty() ? said.empty() : said.find(run.err) != std::string::npos) << said;
    if (run.status == 2 && !said.empty() && !run.args.empty()) {  // one line naming the program
      EXPECT_TRUE(said.find('\n') == said.size() - 1 && said.rfind("pelmo-deck: ", 0) == 0);
    }
    const size_t equals = run.file.find('=');
    const std::string name = run.file.substr(0, equals), bytes = run.file.substr(name.size());
    if (name.empty()) {
      continue;
    }
    EXPECT_EQ(fs::exists(name), equals != std::string::npos);
    const bool prefix = name.find(".png") < name.size() || name.find(".html") < name.size();
    EXPECT_EQ("=" + ReadBytes(name).substr(0, prefix ? bytes.size() - 1 : -1),
              bytes.empty() ? "=" : bytes);
  }
  for (const auto& [name, bytes] : inputs) {
    EXPECT_EQ(ReadBytes(name), bytes) << name;  // no command writes to its input
  }
  for (const auto& entry : fs::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
}

TEST(ToolArguments, RefuseWhatNoCommandTakesWithTheCommandsOwnSynopsis) {
  ScratchFolder folder;
  // clang-format off
  RunRows({{"ok.csv", kDecks[0].second}}, {
    {{}, 2, "", "usage: pelmo-deck COMMAND"},
    {{"help"}, 0, "usage: pelmo-deck COMMAND", ""},
    {{"version"}, 0, "pelmo-deck " PELMO_VERSION "\n", ""},
    {{"--version"}, 0, "pelmo-deck " PELMO_VERSION "\n", ""},
    {{"frobnicate"}, 2, "", "pelmo-deck: unknown command \u201Cfrobnicate\u201D (pelmo-deck help lists"},
    {{"check", "--jsn", "ok.csv"}, 2, "", "check: unknown option --jsn (usage: "},
    {{"ipa", "-", "a-"}, 2, "", "ipa: one notation only"},  // an option has a dash and a letter
    {{"render", "a", "t.png", "--scale"}, 2, "", "render: --scale needs a value", "t.png"},
    {{"render", "--scale", "0", "a", "t.png"}, 2, "", "render: the scale must be a whole number from 1 to 16"},
    {{"render", "--scale=x2", "a", "t.png"}, 2, "", "render: --scale x2: the scale must be"},
    {{"render", "--scale", "100", "a", "t.png"}, 2, "", "--scale 100: the scale", "t.png"},
    {{"import", "--csv", "--tsv", "in.csv", "t.csv"}, 2, "", "--csv and --tsv exclude", "t.csv"},
    {{"import", "--csv=1", "in.csv", "t.csv"}, 2, "", "import: unknown option --csv=1", "t.csv"},
    {{"import", "--comma", "ab", "in.csv", "t.csv"}, 2, "", "--comma ab: give one character"},
    {{"import", "--comma", ",", "in.csv", "t.csv"}, 2, "", "in code page 932", "t.csv"},
    {{"import", "--comma", "\"", "in.csv", "t.csv"}, 2, "", "(U+0022): the character must", "t.csv"},
    {{"import", "--comma", "U+1F600", "in.csv", "t.csv"}, 2, "", "\xF0\x9F\x98\x80\xE2\x80\x9D (U+1F600): the"},
    {{"import", "--comma", "U+D800", "in.csv", "t.csv"}, 2, "", "--comma U+D800: no character has that code"},
    {{"import", "ok.csv"}, 2, "", "import: an input and an output file are needed (usage: "},
    {{"export", "ok.csv", "e.csv", "x"}, 2, "", "export: a deck and an output file are needed", "e.csv"},
  });
  // clang-format on
}

// Every command named in the help answers a call without arguments with its usage, and the
// usage it gives is the line the help shows for it: both come from one table.
TEST(ToolArguments, GiveEachCommandsUsageAsTheHelpListsIt) {
  std::ostringstream help, none;
  ASSERT_EQ(RunDeckTool({"help"}, help, none), 0);
  std::istringstream lines(help.str());
  std::vector<std::string> synopses;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  ", 0) == 0 && line[2] != ' ') {
      synopses.push_back(line.substr(2));
    }
  }
  ASSERT_EQ(synopses.size(), 9u);  // check ipa notation render export page import version help
  for (const std::string& synopsis : synopses) {
    const std::string name = synopsis.substr(0, synopsis.find(' '));
    if (name == "help" || name == "version") {
      continue;
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunDeckTool({name}, out, err), 2) << name;
    EXPECT_NE(err.str().find("(usage: pelmo-deck " + synopsis + ")\n"), std::string::npos)
        << err.str();
  }
}

#ifdef PELMO_DECK_EXE
// The program itself, as a shell runs it: the arguments after its name are the command line.
TEST(ToolArguments, TheProgramTakesTheArgumentsAfterItsName) {
  ScratchFolder folder;
  for (const char* args : {"", " help"}) {
    const int status = std::system((PELMO_DECK_EXE + std::string(args) + " >out 2>err").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (*args ? 0 : 2)) << args;
    const std::string said = ReadBytes(*args ? "out" : "err");
    EXPECT_EQ(said.rfind("usage: pelmo-deck COMMAND ARGUMENTS\n", 0), 0u) << args << said;
    EXPECT_EQ(ReadBytes(*args ? "err" : "out"), "") << args;
  }
}
#endif

TEST(ToolCheck, ReportsEachFileInTurnOnStandardOutput) {
  ScratchFolder folder;
  fs::create_directories("folder");
  Inputs inputs = kDecks;
  inputs.push_back({"brackets.csv", "a," + std::string(1500, '[') + ",x\r\n"});
  inputs.push_back({"utf16.csv", "\xFF\xFE"});
  // clang-format off
  RunRows(inputs, {
    {{"check", "ok.csv"}, 0, "ok.csv: note: 2 rows loaded [rows-loaded]\nok.csv: 0 errors, 0 warnings, 1 note\n", ""},
    {{"check", "ok.csv", "warned.csv"}, 1, "\nwarned.csv:1:6: warning: \u201Ca5\u201D draws nothing", ""},
    {{"check", "broken.csv", "ok.csv"}, 2, "broken.csv:2: error: reading stops at this empty line", ""},
    {{"check", "--json", "warned.csv"}, 1,
     R"({"file":"warned.csv","severity":"note","code":"rows-loaded","message":"1 row loaded","count":1})"
     "\n" R"({"file":"warned.csv","line":1,"column":6,"severity":"warning","code":"unknown-token",)"
     R"("message":"“a5” draws nothing: the glyph table has no such token","text":"a5"})" "\n"
     R"({"file":"warned.csv","line":1,"column":9,"severity":"warning","code":"stray-character",)"
     R"("message":"“\\<TAB><0x7F>” draws nothing: no token starts with it","text":"\\\t\u007f"})", ""},
    {{"check", "missing.csv", "ok.csv"}, 2, "ok.csv: ", "check: missing.csv: no such file"},
    {{"check", "folder"}, 2, "", "folder: a directory, not a file"},
    {{"check", "binary.csv"}, 2, "", "binary.csv: binary data, not text (a NUL byte at line 1, byte offset 4)"},
    {{"check", "brackets.csv"}, 1, "brackets.csv: 0 errors, 1500 warnings, 2 notes\n", ""},
    {{"check", "utf16.csv"}, 2, "", "utf16.csv: UTF-16 text (it starts with a UTF-16 byte-order mark)"},
  });
  // clang-format on
}

TEST(ToolNotation, PrintsOnStandardOutputAndWarnsOnStandardError) {
  ScratchFolder folder;
  // clang-format off
  RunRows({}, {
    {{"ipa", "s1i0:p"}, 0, "ʃiːp\n", ""},
    {{"ipa", "/ka5#"}, 1, "k\n", "ipa: column 1: warning: “/” draws nothing: no token starts with it "
     "[stray-character]\npelmo-deck: ipa: column 3: warning: “a5” draws nothing: the glyph table has "
     "no such token [unknown-token]\npelmo-deck: ipa: column 5: warning: “#” draws nothing: no token "
     "starts with it [stray-character]\n"},  // in the order of the notation
    {{"ipa", "--", "-a0"}, 1, "a\n", "pelmo-deck: ipa: column 1: warning: "},
    {{"ipa", "a#b"}, 1, "ab\n", "ipa: column 2: warning: “#” draws nothing"},
    {{"ipa", "あa0"}, 1, "a\n", "column 1: warning: “あ” draws nothing"},  // as pelmo reads 82 A0 61 30
    {{"ipa", "😀a0"}, 2, "", "ipa: the notation “😀a0” holds “😀” (U+1F600), which code page 932 lacks"},
    {{"notation", "/ˈθɪŋk/"}, 0, "s2i1![ng]k\n", ""},
    {{"notation", "/bʊk/"}, 1, "bu0k\n", "notation: column 3: warning: “ʊ” is drawn as “u”: pelmo has no"},
    {{"notation", "ʔ"}, 2, "", "notation: column 1: “ʔ” (U+0294) has no glyph in pelmo"},
    {{"notation", "a", "b"}, 2, "", "notation: one IPA text only"},
    {{"notation", "õ"}, 1, "o0\n", "notation: column 1: warning: “◌̃” is left out: pelmo has no glyph for it [ipa-substitution]"},
    {{"notation", "ˈyː.bɐ"}, 1, "y:ba2\n", "column 1: warning: “ˈ” is left out: no vowel pelmo can stress follows it in its syllable"},
    {{"notation", "x"}, 0, "x\n", ""},
    {{"render", "a0a0", "t.png"}, 0, "t.png: 34 x 34 pixels\n", "", "t.png=\x89PNG\r\n\x1a\n"},
    {{"render", "--scale", "3", "[x", "t3.png"}, 1, "t3.png: 69 x 102", "[unmatched-bracket]\n", "t3.png="},
    {{"render", "😀", "t4.png"}, 2, "", "render: the notation", "t4.png"},
    {{"render", "a", "no/dir.png"}, 2, "", "render: no/dir.png: cannot create no/dir.png.tmp: ", "no/dir.png"},
  });
  // clang-format on
}

TEST(ToolExportAndPage, WriteTheCardsAndNameTheOnesToLookAt) {
  ScratchFolder folder;
  Inputs inputs = kDecks;
  inputs.push_back({"bytes.csv", "a,,x\r\nb,,\x80y\r\n"});
  // clang-format off
  RunRows(inputs, {
    {{"export", "ok.csv", "e.csv"}, 0, "e.csv: 2 cards written\n", "", "e.csv=\xEF\xBB\xBF"
     "cat,k[ae!]t,\xE7\x8C\xAB\r\ndog,do1!g,\xE7\x8A\xAC\r\n"},
    {{"export", "--ipa", "broken.csv", "e.csv"}, 0, "e.csv: 1 card written\n", "", "e.csv=\xEF\xBB\xBF" "cat,k,x,k\r\n"},
    {{"export", "warned.csv", "w.csv"}, 1, "w.csv: 1 card written, 1 of them not coming back", "warned.csv:1: "
     "warning: card 1 would not come back unchanged: import would refuse it: pronunciation: the control",
     "w.csv=\xEF\xBB\xBF" "cat,\"ka5t\\\t\x7F\",x\r\n"},
    {{"export", "nodata.csv", "no.csv"}, 2, "", "nodata.csv: pelmo refuses this deck", "no.csv"},
    {{"export", "binary.csv", "no.csv"}, 2, "", "binary.csv: binary data", "no.csv"},
    {{"export", "ok.csv", "ok.csv"}, 2, "", "ok.csv: this is the input file"},
    {{"page", "ok.csv", "p.html"}, 0, "p.html: 2 cards written\n", "", "p.html=<!DOCTYPE html>\n<html lang=\"en\">"},
    {{"page", "nodata.csv", "no.html"}, 2, "", "nodata.csv: pelmo refuses this deck", "no.html"},
    {{"page", "bytes.csv", "b.html"}, 1, "b.html: 2 cards written, 1 of them with bytes that are no text\n", "bytes.csv:2: "
     "warning: card 2: meaning: the byte 0x80 is no code page 932 text; the page shows U+FFFD in its place [invalid-cp932]\n",
     "b.html=<!DOCTYPE html>"},
  });
  // clang-format on
}

TEST(ToolImport, WritesTheRowsAndNamesEachOneRefused) {
  ScratchFolder folder;
  fs::create_directories("folder");
  Inputs inputs = kDecks;
  // clang-format off
  inputs.insert(inputs.end(), {
      {"tabbed.csv", "cat,k,\"ne\tko\"\ndog,d,\"a,b\"\n"},
      {"in.csv", "cat,k[ae!]t,\xE7\x8C\xAB\nbad,\"k,t\",x\n,,\nend,e0,\"1\n2\",more\n"},
      {"comma.csv", "a,\"x,y\"\n"}, {"empty.csv", ",,\n"},
      {"either.csv", "a,b\tc\nd,e\tf\n"}, {"blank.csv", "\n\r\n"}, {"ipa.csv", "book,/bʊk/,x\n"},
      {"tabs.csv", "w1,p,a\tb\tc\\nd\te\tf\r\nw2,p,a\tb\tc\\nd\te\tf\r\n"}});
  WriteBytes("small.csv", "a,a0,x\n");
  fs::create_hard_link("small.csv", "link.csv");
  RunRows(inputs, {
    {{"import", "--comma", "U+3001", "tabbed.csv", "t.csv"}, 0, "2 rows written", "",
     "t.csv=cat,k,ne\tko\r\ndog,d,a\x81\x41" "b\r\n"},
    {{"import", "--tsv", "small.csv", "no.csv"}, 2, "", "small.csv: every record is one column", "no.csv"},
    {{"import", "in.csv", "out.csv"}, 1, "out.csv: 2 rows written, 1 refused, 1 empty skipped; columns "
     "after the third left out on 1 row\n", "in.csv:2: pronunciation: a comma, ",
     "out.csv=cat,k[ae!]t,\x94\x4C\r\nend,e0,1\\n2\r\n"},
    {{"import", "--comma", " ", "comma.csv", "t.csv"}, 0, "1 row", "", "t.csv=a,x y,\r\n"},
    {{"import", "--comma", "u+3001", "comma.csv", "t.csv"}, 0, "1 row", "", "t.csv=a,x\x81\x41y,\r\n"},
    {{"import", "either.csv", "no.csv"}, 2, "", "either.csv: it could be comma-separated (--csv) or tab-separated (--tsv)", "no.csv"},
    {{"import", "--csv", "either.csv", "t.csv"}, 0, "2 rows written", "", "t.csv=a,b\tc,\r\nd,e\tf,\r\n"},
    // What export writes, a plain import reads back as the same deck.
    {{"export", "tabs.csv", "tabs-export.csv"}, 0, "2 cards written\n", "", "tabs-export.csv=\xEF\xBB\xBF"
     "w1,p,\"a\tb\tc\r\nd\te\tf\"\r\nw2,p,\"a\tb\tc\r\nd\te\tf\"\r\n"},
    {{"import", "tabs-export.csv", "tabs-again.csv"}, 0, "2 rows written, 0 refused\n", "",
     "tabs-again.csv=w1,p,a\tb\tc\\nd\te\tf\r\nw2,p,a\tb\tc\\nd\te\tf\r\n"},
    {{"import", "small.csv", "./small.csv"}, 2, "", "./small.csv: this is the input file"},
    {{"import", "small.csv", "link.csv"}, 2, "", "link.csv: this is the input file"},
    {{"import", "blank.csv", "no.csv"}, 2, "", "import: no.csv: not written: no row to write (0 refused)\n", "no.csv"},
    {{"import", "ipa.csv", "t.csv"}, 1, "t.csv: 1 row written, 0 refused; 1 IPA symbol drawn as another\n",
     "ipa.csv:1: pronunciation: IPA column 3: “ʊ” is drawn as “u”", "t.csv=book,bu0k,x\r\n"},
    {{"import", "empty.csv", "no.csv"}, 2, "", "import: no.csv: not written: no row to write (0 refused)\n", "no.csv"},
    {{"import", "ok.csv", "no.csv"}, 2, "", "ok.csv: not UTF-8 text: the byte 0x94 on line 1 is no UTF-8", "no.csv"},
    {{"import", "binary.csv", "no.csv"}, 2, "", "binary.csv: binary data", "no.csv"},
    {{"import", "folder", "no.csv"}, 2, "", "import: folder: a directory", "no.csv"},
    {{"import", "small.csv", "folder"}, 2, "", "folder: a directory, not a file"},
    {{"import", "missing.csv", "no.csv"}, 2, "", "import: missing.csv: no such file\n", "no.csv"},
  });
  // clang-format on
}

}  // namespace
}  // namespace pelmo::deck
