#include "deck/tool.h"

#include <algorithm>
#include <string_view>

#include "deck/commands/commands.h"
#include "deck/messages.h"

namespace pelmo::deck {

namespace {

// The one place that names a command: its synopsis (the options it takes are read from there),
// its help, and the function that runs it. A new command is a row here and a file in
// deck/commands/.
struct CommandEntry {
  const char* synopsis;  // the name, then the arguments
  const char* help;      // lines of at most 90 characters
  CommandRun run;
};

// clang-format off
const CommandEntry kCommands[] = {
    {"check [--json] FILE...",
     "Read each deck exactly as pelmo does and report what a learner would see wrong.\n"
     "--json writes one JSON object per finding and line (JSON Lines).",
     &RunCheck},
    {"ipa NOTATION",
     "Print the pronunciation as Unicode IPA in UTF-8.",
     &RunIpa},
    {"notation IPA",
     "Print the notation for a pronunciation written in IPA (/\xCB\x88\xCE\xB8\xC9\xAA\xC5\x8Bk/).",
     &RunNotation},
    {"render [--scale N] NOTATION OUT.png",
     "Draw the pronunciation with pelmo's own glyphs, as its view lays them out\n"
     "(N from 1 to 16 enlarges every pixel; default 1).",
     &RunRender},
    {"export [--ipa] DECK OUT",
     "Write the cards exactly as pelmo shows them as UTF-8 CSV for spreadsheets (word,\n"
     "pronunciation, meaning with real line breaks; --ipa adds the IPA), which import\n"
     "turns back into the same deck.",
     &RunExport},
    {"page [--title TEXT] DECK OUT.html",
     "Write the deck as one web page that needs nothing else: the cards one at a time or\n"
     "as a printable list, with pelmo's shuffle and pelmo's pronunciation glyphs, for any\n"
     "browser, a phone's included. The title is the deck's file name unless --title.",
     &RunPage},
    {"import [--comma CHAR] [--csv | --tsv] IN OUT",
     "Convert UTF-8 CSV or TSV (word, pronunciation, meaning) into a deck in code page\n"
     "932 with CR LF line ends, refusing every row pelmo would not show exactly as it\n"
     "reads. --comma writes CHAR (one character, or U+XXXX) for each comma inside a\n"
     "field. The format is read from how commas and tabs cut the first records; where\n"
     "neither fits better, --csv or --tsv must say. A pronunciation written in IPA is\n"
     "converted as by notation.",
     &RunImport},
    {"version",
     "Show pelmo-deck's version (also --version).",
     nullptr},
    {"help",
     "Show this text.",
     nullptr},
};
// clang-format on

std::string_view NameOf(const CommandEntry& entry) {
  const std::string_view synopsis = entry.synopsis;
  return synopsis.substr(0, synopsis.find(' '));
}

// The usage text `help` prints.
std::string UsageText() {
  std::string text = std::string("usage: ") + kProgram + " COMMAND ARGUMENTS\n\n";
  for (const CommandEntry& entry : kCommands) {
    text += std::string("  ") + entry.synopsis + "\n";
    const std::string_view help = entry.help;
    for (size_t start = 0; start < help.size();) {
      const size_t end = std::min(help.find('\n', start), help.size());
      text += "      " + std::string(help.substr(start, end - start)) + "\n";
      start = end + 1;
    }
  }
  return text + "\nExit status: 0 clean; 1 warnings, or rows refused; 2 errors, or nothing done.\n";
}

}  // namespace

int RunDeckTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << UsageText();
    return 2;
  }
  const std::string& name = args[0];
  if (name == "help" || name == "--help" || name == "-h") {
    out << UsageText();
    return 0;
  }
  if (name == "version" || name == "--version") {
    out << kProgram << " " << PELMO_VERSION << "\n";
    return 0;
  }
  for (const CommandEntry& entry : kCommands) {
    if (name != NameOf(entry) || !entry.run) {
      continue;
    }
    Command command(name, entry.synopsis, out, err);
    Arguments parsed;
    std::string error;
    if (!ParseArguments(args, OptionsOfSynopsis(entry.synopsis), parsed, error)) {
      return command.Usage(error);
    }
    return entry.run(command, parsed);
  }
  err << kProgram << ": unknown command " << Quoted(ArgText(name)) << " (" << kProgram
      << " help lists the commands)\n";
  return 2;
}

}  // namespace pelmo::deck
