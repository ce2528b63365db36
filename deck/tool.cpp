#include "deck/tool.h"

#include <algorithm>
#include <map>
#include <optional>

#include "deck/check.h"
#include "deck/export.h"
#include "deck/files.h"
#include "deck/findings.h"
#include "deck/import.h"
#include "deck/ipa.h"
#include "deck/ipa_input.h"
#include "deck/notation_findings.h"
#include "deck/page.h"
#include "deck/platform.h"
#include "deck/png.h"
#include "deck/render.h"
#include "deck/text_encoding.h"

namespace pelmo::deck {

const char kUsage[] =
    "usage: pelmo-deck COMMAND ARGUMENTS\n"
    "\n"
    "  check [--json] FILE...\n"
    "      Read each deck exactly as pelmo does and report what a learner would see wrong.\n"
    "      --json writes one JSON object per finding and line (JSON Lines).\n"
    "  ipa NOTATION\n"
    "      Print the pronunciation as Unicode IPA in UTF-8.\n"
    "  notation IPA\n"
    "      Print the notation for a pronunciation written in IPA "
    "(/\xCB\x88\xCE\xB8\xC9\xAA\xC5\x8Bk/).\n"
    "  render [--scale N] NOTATION OUT.png\n"
    "      Draw the pronunciation with pelmo's own glyphs, as its view lays them out\n"
    "      (N from 1 to 16 enlarges every pixel; default 1).\n"
    "  export [--ipa] DECK OUT\n"
    "      Write the cards exactly as pelmo shows them as UTF-8 CSV for spreadsheets (word,\n"
    "      pronunciation, meaning with real line breaks; --ipa adds the IPA), which import\n"
    "      turns back into the same deck.\n"
    "  page [--title TEXT] DECK OUT.html\n"
    "      Write the deck as one web page that needs nothing else: the cards one at a time or\n"
    "      as a printable list, with pelmo's shuffle and pelmo's pronunciation glyphs, for any\n"
    "      browser, a phone's included. The title is the deck's file name unless --title.\n"
    "  import [--comma CHAR] [--csv | --tsv] IN OUT\n"
    "      Convert UTF-8 CSV or TSV (word, pronunciation, meaning) into a deck in code page\n"
    "      932 with CR LF line ends, refusing every row pelmo would not show exactly as it\n"
    "      reads. --comma writes CHAR (one character, or U+XXXX) for each comma inside a\n"
    "      field. The format is TSV when tabs cut the first records into steady columns,\n"
    "      unless --csv or --tsv. A pronunciation written in IPA is converted as by notation.\n"
    "  help\n"
    "      Show this text.\n"
    "\n"
    "Exit status: 0 clean; 1 warnings, or rows refused; 2 errors, or nothing done.\n";

namespace {

constexpr char kProgram[] = "pelmo-deck";

// A command line argument as UTF-8, for messages.
std::string ArgText(std::string_view arg) {
  return SanitizeUtf8(arg);
}

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // flags map to ""

  bool Has(const std::string& name) const { return options.count(name) != 0; }
};

// Options may stand before, between or after the other arguments; "--" ends them, so a notation
// that starts with "-" can still be given.
bool ParseArguments(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                    const std::vector<std::string>& valued, Arguments& parsed, std::string& error) {
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (std::find(flags.begin(), flags.end(), name) != flags.end() && equals == std::string::npos) {
      parsed.options[name] = "";
    } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
      if (equals != std::string::npos) {
        parsed.options[name] = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        parsed.options[name] = args[++i];
      } else {
        error = name + " needs a value";
        return false;
      }
    } else {
      error = "unknown option " + ArgText(arg);
      return false;
    }
  }
  return true;
}

class Command {
 public:
  // `synopsis`: the command's name and its arguments, as the usage text gives them.
  Command(std::string synopsis, std::ostream& out, std::ostream& err)
      : synopsis_(std::move(synopsis)),
        name_(synopsis_.substr(0, synopsis_.find(' '))),
        out_(out),
        err_(err) {}

  // Prints "pelmo-deck: COMMAND: message" and gives the status for errors.
  int Fail(const std::string& message) {
    err_ << kProgram << ": " << name_ << ": " << message << "\n";
    return 2;
  }
  int Usage(const std::string& message) {
    return Fail(message + " (usage: " + kProgram + " " + synopsis_ + ")");
  }
  const std::string& name() const { return name_; }
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }

 private:
  std::string synopsis_;
  std::string name_;
  std::ostream& out_;
  std::ostream& err_;
};

int RunCheck(Command& command, const Arguments& args) {
  if (args.positional.empty()) {
    return command.Usage("no file given");
  }
  const bool json = args.Has("--json");
  int status = 0;
  for (const std::string& arg : args.positional) {
    const std::string label = ArgText(arg);
    const std::string path = NativePath(arg);
    std::vector<Finding> findings;
    std::string error;
    SeverityTotals counts;
    if (!CheckDeckFile(path, findings, error, &counts)) {
      status = std::max(status, command.Fail(label + ": " + error));
      continue;
    }
    for (const Finding& f : findings) {
      command.out() << (json ? FindingJson(f, label) : FormatFinding(f, label)) << "\n";
    }
    if (!json) {
      auto plural = [](size_t n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
      };
      command.out() << label << ": " << plural(counts[2], "error") << ", "
                    << plural(counts[1], "warning") << ", " << plural(counts[0], "note") << "\n";
    }
    status = std::max(status, ExitStatusFor(findings));
  }
  return status;
}

// A notation argument as the code page 932 bytes pelmo would hold for it, so that "あa0" scans as
// the viewer scans the deck's bytes; a character the code page lacks has no such bytes and is
// refused.
std::optional<std::string> NotationArgument(Command& command, const std::string& arg) {
  std::string bytes;
  for (size_t i = 0; i < arg.size();) {
    const DecodedChar c = DecodeUtf8At(arg, i);
    const std::optional<std::string> encoded =
        c.codePoint ? EncodeCp932(*c.codePoint) : std::nullopt;
    if (!encoded) {
      command.Fail("the notation " + Quoted(SanitizeUtf8(arg)) + " holds " +
                   (c.codePoint ? Quoted(SanitizeUtf8(arg.substr(i, c.length))) + " (" +
                                      CodePointName(*c.codePoint) + "), which code page 932 lacks"
                                : "a byte that is no UTF-8") +
                   ", so no deck can hold it");
      return std::nullopt;
    }
    bytes += *encoded;
    i += c.length;
  }
  return bytes;
}

// Findings about a command-line argument, on standard error; the status they call for.
int ReportFindings(Command& command, const std::vector<Finding>& findings) {
  for (const Finding& f : findings) {
    command.err() << FormatFinding(f, std::string(kProgram) + ": " + command.name()) << "\n";
  }
  return ExitStatusFor(findings);
}

// Warnings for what of a notation (code page 932 bytes) draws nothing; the status they call for.
int ReportNotation(Command& command, std::string_view notation) {
  std::vector<Finding> findings;
  AddNotationFindings(notation, 0, 1, true, findings);
  return ReportFindings(command, findings);
}

int RunIpa(Command& command, const Arguments& args) {
  if (args.positional.size() != 1) {
    return command.Usage(args.positional.empty() ? "no notation given" : "one notation only");
  }
  const std::optional<std::string> notation = NotationArgument(command, args.positional[0]);
  if (!notation) {
    return 2;
  }
  command.out() << NotationToIpa(*notation) << "\n";
  return ReportNotation(command, *notation);
}

int RunNotation(Command& command, const Arguments& args) {
  if (args.positional.size() != 1) {
    return command.Usage(args.positional.empty() ? "no IPA given" : "one IPA text only");
  }
  const std::string ipa = ArgText(args.positional[0]);
  std::string notation;
  std::vector<IpaSubstitution> substitutions;
  std::string error;
  if (!IpaToNotation(ipa, notation, substitutions, error)) {
    return command.Fail(error);
  }
  command.out() << notation << "\n";
  // Each substitution a warning, its column in characters of the IPA text.
  std::vector<Finding> findings;
  for (const IpaSubstitution& s : substitutions) {
    Finding f;
    f.severity = Severity::kWarning;
    f.code = "ipa-substitution";
    f.column = s.column;
    f.text = s.from;
    f.message = DescribeSubstitution(s);
    findings.push_back(std::move(f));
  }
  return ReportFindings(command, findings);
}

int RunRender(Command& command, const Arguments& args) {
  if (args.positional.size() != 2) {
    return command.Usage("a notation and an output file are needed");
  }
  int scale = 1;
  if (args.Has("--scale")) {
    const std::string& text = args.options.at("--scale");
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return command.Fail("--scale " + ArgText(text) +
                          ": the scale must be a whole number from 1 to " +
                          std::to_string(kRenderMaxScale));
    }
    scale = std::stoi(text);
  }
  const std::optional<std::string> notation = NotationArgument(command, args.positional[0]);
  if (!notation) {
    return 2;
  }
  const std::string outPath = NativePath(args.positional[1]);
  const std::string outLabel = ArgText(args.positional[1]);
  GrayImage image;
  std::string error;
  if (!RenderNotation(*notation, scale, image, error)) {
    return command.Fail(error);
  }
  if (!WriteFileAtomically(outPath, EncodePng(image), error)) {
    return command.Fail(outLabel + ": " + error);
  }
  command.out() << outLabel << ": " << image.width << " x " << image.height << " pixels\n";
  return ReportNotation(command, *notation);
}

// --comma's character: "U+XXXX", or one character. It must be a
// character the deck can hold that neither separates, quotes nor escapes.
std::optional<char32_t> CommaReplacement(const std::string& arg, std::string& error) {
  std::optional<char32_t> cp;
  if (arg.size() > 2 && (arg[0] == 'U' || arg[0] == 'u') && arg[1] == '+' && arg.size() <= 8 &&
      arg.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos) {
    cp = static_cast<char32_t>(std::stoul(arg.substr(2), nullptr, 16));
  } else if (!arg.empty()) {
    const DecodedChar c = DecodeUtf8At(arg, 0);
    if (c.length == arg.size()) {
      cp = c.codePoint;
    }
  }
  if (!cp) {
    error = "--comma " + ArgText(arg) + ": give one character, or U+ and its hexadecimal code";
    return std::nullopt;
  }
  if (*cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) {
    error = "--comma " + CodePointName(*cp) + ": no character has that code";
    return std::nullopt;
  }
  if (*cp == ',' || *cp == '"' || *cp == '\\' || *cp < 0x20 || *cp == 0x7F || !EncodeCp932(*cp)) {
    std::string shown;
    AppendUtf8(*cp, shown);
    error = "--comma " + Quoted(shown) + " (" + CodePointName(*cp) + ")" +
            ": the character must be in code page 932 and be no comma, double quote, "
            "backslash or control character";
    return std::nullopt;
  }
  return cp;
}

// IN and OUT of a command that converts one file into another: paths as the system takes them,
// and labels for messages.
struct InAndOut {
  std::string in, out, inLabel, outLabel;
};

// Reads IN whole. It must be text (of a deck, only what pelmo reads counts), and OUT must be
// neither IN itself, by any name, nor a directory. Nothing when all is well, else the status of
// the failure it has reported.
std::optional<int> ReadInput(Command& command, const Arguments& args, bool deck, InAndOut& files,
                             std::string& bytes) {
  files = {NativePath(args.positional[0]), NativePath(args.positional[1]),
           ArgText(args.positional[0]), ArgText(args.positional[1])};
  std::string error;
  if (!ReadInputFile(files.in, bytes, error)) {
    return command.Fail(files.inLabel + ": " + error);
  }
  if (const std::string why = deck ? DescribeNonDeck(bytes) : DescribeNonText(bytes);
      !why.empty()) {
    return command.Fail(files.inLabel + ": " + why);
  }
  if (SameFile(files.in, files.out)) {
    return command.Fail(files.outLabel + ": this is the input file; the " + command.name() +
                        " never overwrites it");
  }
  if (IsDirectory(files.out)) {
    return command.Fail(files.outLabel + ": a directory, not a file");
  }
  return std::nullopt;
}

// DECK and OUT of a command that turns a deck into another file, read and guarded as above.
std::optional<int> ReadDeck(Command& command, const Arguments& args, InAndOut& files,
                            std::string& bytes) {
  if (args.positional.size() != 2) {
    return command.Usage("a deck and an output file are needed");
  }
  return ReadInput(command, args, true, files, bytes);
}

int RunImport(Command& command, const Arguments& args) {
  if (args.positional.size() != 2) {
    return command.Usage("an input and an output file are needed");
  }
  ImportOptions options;
  if (args.Has("--csv") && args.Has("--tsv")) {
    return command.Usage("--csv and --tsv exclude each other");
  }
  options.format = args.Has("--csv")   ? CsvFormat::kComma
                   : args.Has("--tsv") ? CsvFormat::kTab
                                       : CsvFormat::kDetect;
  std::string error;
  if (args.Has("--comma")) {
    options.commaReplacement = CommaReplacement(args.options.at("--comma"), error);
    if (!options.commaReplacement) {
      return command.Fail(error);
    }
  }
  InAndOut files;
  std::string bytes;
  if (const std::optional<int> failed = ReadInput(command, args, false, files, bytes)) {
    return *failed;
  }
  const std::string& inLabel = files.inLabel;
  const std::string& outLabel = files.outLabel;
  ImportResult result;
  auto report = [&](const ImportRefusal& r) {
    command.err() << inLabel << ":" << r.line << ": " << (r.field.empty() ? "" : r.field + ": ")
                  << r.reason << " [" << r.code << "]\n";
  };
  const bool imported = ImportDeck(bytes, options, result, error, report, report);
  if (!imported) {
    return command.Fail(inLabel + ": " + error);
  }
  const size_t written = result.writtenLines.size();
  const std::string refused = std::to_string(result.refused) + " refused";
  if (written == 0) {
    return command.Fail(outLabel + ": not written: no row to write (" + refused + ")");
  }
  if (!WriteFileAtomically(files.out, result.deck, error,
                           [&](const std::string& path, std::string& why) {
                             return VerifyWrittenDeck(path, result.deck, written, why);
                           })) {
    return command.Fail(outLabel + ": " + error);
  }
  command.out() << outLabel << ": " << written << (written == 1 ? " row" : " rows") << " written, "
                << refused;
  if (result.emptyRecords > 0) {
    command.out() << ", " << result.emptyRecords << " empty skipped";
  }
  if (result.recordsWithMoreColumns > 0) {
    command.out() << "; columns after the third left out on " << result.recordsWithMoreColumns
                  << (result.recordsWithMoreColumns == 1 ? " row" : " rows");
  }
  if (result.warnings > 0) {
    command.out() << "; " << result.warnings
                  << (result.warnings == 1 ? " IPA symbol" : " IPA symbols") << " drawn as another";
  }
  command.out() << "\n";
  return result.refused == 0 && result.warnings == 0 ? 0 : 1;
}

// "OUT: N cards written", and a warning on each card the author should look at (status 1).
int ReportCardsWritten(Command& command, const InAndOut& files, size_t cards,
                       const std::vector<CardProblem>& problems, const char* lead, const char* code,
                       const char* which) {
  for (const CardProblem& p : problems) {
    command.err() << files.inLabel << ":" << p.card << ": warning: card " << p.card << lead
                  << p.reason << " [" << code << "]\n";
  }
  command.out() << files.outLabel << ": " << cards << (cards == 1 ? " card" : " cards")
                << " written";
  if (!problems.empty()) {
    command.out() << ", " << problems.size() << " of them " << which;
  }
  command.out() << "\n";
  return problems.empty() ? 0 : 1;
}

int RunExport(Command& command, const Arguments& args) {
  InAndOut files;
  std::string bytes;
  if (const std::optional<int> failed = ReadDeck(command, args, files, bytes)) {
    return *failed;
  }
  const std::string& inLabel = files.inLabel;
  const std::string& outLabel = files.outLabel;
  std::string error;
  ExportResult result;
  if (!ExportDeck(bytes, args.Has("--ipa"), result, error)) {
    return command.Fail(inLabel + ": " + error);
  }
  if (!WriteFileAtomically(files.out, result.csv, error)) {
    return command.Fail(outLabel + ": " + error);
  }
  return ReportCardsWritten(command, files, result.cards, result.problems,
                            " would not come back unchanged: ", "no-round-trip",
                            "not coming back unchanged");
}

int RunPage(Command& command, const Arguments& args) {
  InAndOut files;
  std::string bytes;
  if (const std::optional<int> failed = ReadDeck(command, args, files, bytes)) {
    return *failed;
  }
  // By default the file's name, without its folders.
  const std::string title = args.Has("--title")
                                ? ArgText(args.options.at("--title"))
                                : files.inLabel.substr(files.inLabel.find_last_of("/\\") + 1);
  std::string error;
  PageResult result;
  if (!MakePage(bytes, title, result, error)) {
    return command.Fail(files.inLabel + ": " + error);
  }
  if (!WriteFileAtomically(files.out, result.html, error)) {
    return command.Fail(files.outLabel + ": " + error);
  }
  return ReportCardsWritten(command, files, result.cards, result.problems, ": ", "invalid-cp932",
                            "with bytes that are no text");
}

}  // namespace

int RunDeckTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& name = args[0];
  if (name == "help" || name == "--help" || name == "-h") {
    out << kUsage;
    return 0;
  }
  struct Entry {
    const char* synopsis;
    int (*run)(Command&, const Arguments&);
    std::vector<std::string> flags;
    std::vector<std::string> valued;
  };
  const Entry commands[] = {
      {"check [--json] FILE...", &RunCheck, {"--json"}, {}},
      {"ipa NOTATION", &RunIpa, {}, {}},
      {"notation IPA", &RunNotation, {}, {}},
      {"export [--ipa] DECK OUT", &RunExport, {"--ipa"}, {}},
      {"page [--title TEXT] DECK OUT.html", &RunPage, {}, {"--title"}},
      {"render [--scale N] NOTATION OUT.png", &RunRender, {}, {"--scale"}},
      {"import [--comma CHAR] [--csv | --tsv] IN OUT", &RunImport, {"--csv", "--tsv"}, {"--comma"}},
  };
  for (const Entry& entry : commands) {
    Command command(entry.synopsis, out, err);
    if (name == command.name()) {
      Arguments parsed;
      std::string error;
      if (!ParseArguments(args, entry.flags, entry.valued, parsed, error)) {
        return command.Usage(error);
      }
      return entry.run(command, parsed);
    }
  }
  err << kProgram << ": unknown command " << Quoted(ArgText(name)) << " (" << kProgram
      << " help lists the commands)\n";
  return 2;
}

}  // namespace pelmo::deck
