// The command line's wiring: arguments, exit statuses, which stream says what, and which files
// are written; what each command finds is tested on the pieces themselves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "deck/tool.h"
#include "tests/support/deck_file.h"

namespace pelmo::deck {
namespace {

using namespace std::string_literals;
using pelmo::testing::DeckFile;
namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Invocation {
  std::vector<std::string> args;
  int status;
  std::string out;  // a part of standard output; empty: nothing may be written there
  std::string err;  // a part of standard error, which must then be one line for status 2
  std::string file =
      "";  // "NAME=its bytes" (of a picture or page the first) if written, "NAME" if not
};

#ifdef _WIN32
const char kUnderAFile[] = "no such file";
#else
const char kUnderAFile[] = "cannot open: ";  // even for root: a file has nothing inside it
#endif

// clang-format off
const Invocation kInvocations[] = {
    {{}, 2, "", "usage: pelmo-deck COMMAND"},
    {{"help"}, 0, "usage: pelmo-deck COMMAND", ""},
    {{"frobnicate"}, 2, "", "pelmo-deck: unknown command"},
    {{"check"}, 2, "", "check: no file given (usage: pelmo-deck check [--json] FILE...)"},
    {{"check", "--jsn", "ok.csv"}, 2, "", "check: unknown option --jsn (usage: "},
    {{"ipa"}, 2, "", "ipa: no notation given (usage: pelmo-deck ipa NOTATION)"},
    {{"ipa", "-", "a-"}, 2, "", "ipa: one notation only"},  // an option has a dash and a letter
    {{"render", "a"}, 2, "", "render: a notation and an output file are needed (usage: "},
    {{"render", "a", "t.png", "--scale"}, 2, "", "render: --scale needs a value", "t.png"},
    {{"render", "--scale", "0", "a", "t.png"}, 2, "", "render: the scale must be a whole number"},
    {{"render", "--scale=x2", "a", "t.png"}, 2, "", "render: --scale x2: the scale must be"},
    {{"render", "--scale", "100", "a", "t.png"}, 2, "", "--scale 100: the scale", "t.png"},
    {{"import", "in.csv"}, 2, "", "import: an input and an output file are needed (usage: "},
    {{"import", "--csv", "--tsv", "in.csv", "t.csv"}, 2, "", "--csv and --tsv exclude", "t.csv"},
    {{"import", "--comma", "ab", "in.csv", "t.csv"}, 2, "", "--comma ab: give one character"},
    {{"import", "--comma", ",", "in.csv", "t.csv"}, 2, "", "in code page 932", "t.csv"},
    {{"import", "--comma", "U+1F600", "in.csv", "t.csv"}, 2, "", "\xF0\x9F\x98\x80\xE2\x80\x9D (U+1F600): the"},
    {{"import", "--comma", "U+D800", "in.csv", "t.csv"}, 2, "", "--comma U+D800: no character has that code"},
    {{"export"}, 2, "", "export: a deck and an output file are needed (usage: pelmo-deck export [--ipa]"},
    {{"notation"}, 2, "", "notation: no IPA given (usage: pelmo-deck notation IPA)"},
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
    {{"check", "ok.csv/x.csv"}, 2, "", kUnderAFile},
    {{"check", "binary.csv"}, 2, "", "binary.csv: binary data, not text (a NUL byte at line 1, byte offset 4)"},
    {{"check", "brackets.csv"}, 1, "brackets.csv: 0 errors, 1500 warnings, 2 notes\n", ""},
    {{"check", "utf16.csv"}, 2, "", "utf16.csv: UTF-16 text (it starts with a UTF-16 byte-order mark)"},
    {{"check", "huge.csv"}, 2, "", "huge.csv: too large: more than 64 MiB"},
    {{"ipa", "s1i0:p"}, 0, "ʃiːp\n", ""},
    {{"ipa", "/ka5#"}, 1, "k\n", "ipa: column 1: warning: “/” draws nothing: no token starts with it "
     "[stray-character]\npelmo-deck: ipa: column 3: warning: “a5” draws nothing: the glyph table has "
     "no such token [unknown-token]\npelmo-deck: ipa: column 5: warning: “#” draws nothing: no token "
     "starts with it [stray-character]\n"},  // in the order of the notation
    {{"ipa", "--", "-a0"}, 1, "a\n", "pelmo-deck: ipa: column 1: warning: "},
    {{"ipa", "あa0"}, 1, "a\n", "column 1: warning: “あ” draws nothing"},  // as pelmo reads 82 A0 61 30
    {{"ipa", "😀a0"}, 2, "", "ipa: the notation “😀a0” holds “😀” (U+1F600), which code page 932 lacks"},
    {{"notation", "/ˈθɪŋk/"}, 0, "s2i1![ng]k\n", ""},
    {{"notation", "/bʊk/"}, 1, "bu0k\n", "notation: column 3: warning: “ʊ” is drawn as “u”: pelmo has no"},
    {{"notation", "ʔ"}, 2, "", "notation: column 1: “ʔ” (U+0294) has no glyph in pelmo"},
    {{"export", "ok.csv", "e.csv"}, 0, "e.csv: 2 cards written\n", "", "e.csv=\xEF\xBB\xBF"
     "cat,k[ae!]t,\xE7\x8C\xAB\r\ndog,do1!g,\xE7\x8A\xAC\r\n"},
    {{"export", "--ipa", "broken.csv", "e.csv"}, 0, "e.csv: 1 card written\n", "", "e.csv=\xEF\xBB\xBF" "cat,k,x,k\r\n"},
    {{"export", "warned.csv", "w.csv"}, 1, "w.csv: 1 card written, 1 of them not coming back", "warned.csv:1: "
     "warning: card 1 would not come back unchanged: import would refuse it: pronunciation: the control",
     "w.csv=\xEF\xBB\xBF" "cat,\"ka5t\\\t\x7F\",x\r\n"},
    {{"export", "nodata.csv", "no.csv"}, 2, "", "nodata.csv: pelmo refuses this deck", "no.csv"},
    {{"page", "ok.csv"}, 2, "", "page: a deck and an output file are needed (usage: pelmo-deck page [--title TEXT] DECK"},
    {{"page", "ok.csv", "p.html"}, 0, "p.html: 2 cards written\n", "", "p.html=<!DOCTYPE html>\n<html lang=\"en\">"},
    {{"page", "nodata.csv", "no.html"}, 2, "", "nodata.csv: pelmo refuses this deck", "no.html"},
    {{"page", "bytes.csv", "b.html"}, 1, "b.html: 2 cards written, 1 of them with bytes that are no text\n", "bytes.csv:2: "
     "warning: card 2: meaning: the byte 0x80 is no code page 932 text; the page shows U+FFFD in its place [invalid-cp932]\n",
     "b.html=<!DOCTYPE html>"},
    {{"export", "ok.csv", "ok.csv"}, 2, "", "ok.csv: this is the input file",
     "ok.csv=cat,k[ae!]t,\x94\x4C\r\ndog,do1!g,\x8C\xA2\r\n"},
    {{"import", "--comma", "U+3001", "tabbed.csv", "t.csv"}, 0, "2 rows written", "",
     "t.csv=cat,k,ne\tko\r\ndog,d,a\x81\x41" "b\r\n"},
    {{"import", "--tsv", "small.csv", "no.csv"}, 2, "", "small.csv: every record is one column", "no.csv"},
    {{"import", "small.csv", "readonly.csv"}, 2, "", "readonly.csv: read-only", "readonly.csv=old"},
#ifndef _WIN32
    {{"import", "small.csv", "dangle.csv"}, 0, "1 row", "", "dangle.csv=a,a0,x\r\n"},
    {{"import", "small.csv", "private.csv"}, 0, "1 row", "", "private.csv=a,a0,x\r\n"},
    {{"import", "small.csv", "sym.csv"}, 2, "", "sym.csv: a symbolic link", "sym.csv=old"},
#endif
    {{"render", "a0a0", "t.png"}, 0, "t.png: 34 x 34 pixels\n", "", "t.png=\x89PNG\r\n\x1a\n"},
    {{"render", "--scale", "3", "[x", "t3.png"}, 1, "t3.png: 69 x 102", "[unmatched-bracket]\n", "t3.png="},
    {{"render", "a", "folder"}, 2, "", "render: folder: a directory"},
    {{"render", "a", "no/dir.png"}, 2, "", "render: no/dir.png: cannot create no/dir.png.tmp: ", "no/dir.png"},
    {{"render", "a", "full.png"}, 2, "", "full.png: cannot find a free name for the temporary", "full.png"},
    {{"import", "in.csv", "out.csv"}, 1, "out.csv: 2 rows written, 1 refused, 1 empty skipped; columns "
     "after the third left out on 1 row\n", "in.csv:2: pronunciation: a comma, ",
     "out.csv=cat,k[ae!]t,\x94\x4C\r\nend,e0,1\\n2\r\n"},
    {{"import", "small.csv", "out.csv"}, 0, "out.csv: 1 row written, 0 refused\n", "",
     "out.csv=a,a0,x\r\n"},  // replaces the longer deck before it whole
    {{"import", "--comma", " ", "comma.csv", "t.csv"}, 0, "1 row", "", "t.csv=a,x y,\r\n"},
    {{"import", "--comma", "U+3001", "comma.csv", "t.csv"}, 0, "1 row", "", "t.csv=a,x\x81\x41y,\r\n"},
    {{"import", "small.csv", "./small.csv"}, 2, "", "./small.csv: this is the input file"},
    {{"import", "small.csv", "link.csv"}, 2, "", "link.csv: this is the input file"},
    {{"import", "empty.csv", "no.csv"}, 2, "", "import: no.csv: not written: no row to write (0 refused)\n", "no.csv"},
    {{"import", "ok.csv", "no.csv"}, 2, "", "ok.csv: not UTF-8 text: the byte 0x94 on line 1 is no UTF-8", "no.csv"},
    {{"import", "binary.csv", "no.csv"}, 2, "", "binary.csv: binary data", "no.csv"},
    {{"import", "huge.csv", "no.csv"}, 2, "", "huge.csv: too large", "no.csv"},
    {{"import", "folder", "no.csv"}, 2, "", "import: folder: a directory", "no.csv"},
    {{"import", "small.csv", "folder"}, 2, "", "folder: a directory, not a file"},
};
// clang-format on

TEST(Tool, WiresEachCommandToItsStatusItsStreamsAndItsFiles) {
  // clang-format off
  const std::pair<std::string, std::string> kInputs[] = {
      {"ok.csv", "cat,k[ae!]t,\x94\x4C\r\ndog,do1!g,\x8C\xA2\r\n"}, {"warned.csv", "cat,ka5t\\\t\x7F,x\r\n"},
      {"broken.csv", "cat,k,x\r\n\r\ndog,d,y\r\n"}, {"binary.csv", "PK\x03\x04\0\0"s}, {"utf16.csv", "\xFF\xFE"},
      {"brackets.csv", "a," + std::string(1500, '[') + ",x\r\n"}, {"nodata.csv", "\r\n"},
      {"tabbed.csv", "cat,k,\"ne\tko\"\ndog,d,\"a,b\"\n"},
      {"in.csv", "cat,k[ae!]t,\xE7\x8C\xAB\nbad,\"k,t\",x\n,,\nend,e0,\"1\n2\",more\n"},
      {"comma.csv", "a,\"x,y\"\n"}, {"small.csv", "a,a0,x\n"}, {"empty.csv", ",,\n"},
      {"bytes.csv", "a,,x\r\nb,,\x80y\r\n"}};
  // clang-format on
  std::vector<std::unique_ptr<DeckFile>> inputs;
  for (const auto& [name, bytes] : kInputs) {
    inputs.push_back(std::make_unique<DeckFile>(bytes, name));
  }
  inputs.push_back(std::make_unique<DeckFile>(std::string((64 << 20) + 1, 'a'), "huge.csv"));
  for (const char* name :
       {"t.png", "t3.png", "out.csv", "t.csv", "link.csv", "e.csv", "w.csv", "readonly.csv",
        "dangle.csv", "dangle.csv.tmp", "private.csv", "sym.csv", "target.csv"}) {
    if (fs::is_regular_file(fs::symlink_status(name))) {
      fs::permissions(name, fs::perms::owner_write, fs::perm_options::add);
    }
    fs::remove(name);  // the outputs of an earlier run
  }
  std::ofstream("readonly.csv") << "old";
  fs::permissions("readonly.csv",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
#ifndef _WIN32
  // A dangling link where the temporary file would go, a private file, a link as the output.
  fs::create_symlink("elsewhere.csv", "dangle.csv.tmp");
  std::ofstream("private.csv") << "old";
  fs::permissions("private.csv", fs::perms::owner_read | fs::perms::owner_write);
  std::ofstream("target.csv") << "old";
  fs::create_symlink("target.csv", "sym.csv");
#endif
  fs::create_directories("folder");
  fs::create_hard_link("small.csv", "link.csv");
  for (int n = 0; n < 100; ++n) {  // every name for a temporary file beside full.png taken
    inputs.push_back(std::make_unique<DeckFile>("", "full.png.tmp" + (n ? std::to_string(n) : "")));
  }
  for (const Invocation& run : kInvocations) {
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
    EXPECT_EQ(fs::exists(name), equals != std::string::npos);
    const bool prefix = name.find(".png") < name.size() || name.find(".html") < name.size();
    EXPECT_EQ("=" + ReadBytes(name).substr(0, prefix ? bytes.size() - 1 : -1),
              bytes.empty() ? "=" : bytes);
  }
  for (const auto& [name, bytes] : kInputs) {
    EXPECT_EQ(ReadBytes(name), bytes) << name;  // no command writes to its input
  }
  for (const auto& entry : fs::directory_iterator(".")) {  // no temporary file left behind
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.find(".tmp") == std::string::npos || name.rfind("full.png", 0) == 0 ||
                name == "dangle.csv.tmp")
        << name;
  }
#ifndef _WIN32
  EXPECT_FALSE(fs::exists("elsewhere.csv"));  // nothing written through the dangling link
  EXPECT_EQ(fs::status("private.csv").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(fs::is_symlink("sym.csv"));
#endif
}

}  // namespace
}  // namespace pelmo::deck
