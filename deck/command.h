#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "deck/cards.h"
#include "deck/findings.h"

// What every command of pelmo-deck shares: its parsed arguments, its way of failing, and the
// reading and reporting that several commands do alike. Each command lives in a file of its own
// under deck/commands/ and is named once, in the command table of deck/tool.cpp.
namespace pelmo::deck {

inline constexpr char kProgram[] = "pelmo-deck";

// The options a command takes, read from its synopsis: "--name" alone is a flag, "--name WORD" an
// option with a value.
struct OptionNames {
  std::vector<std::string> flags;
  std::vector<std::string> valued;
};
OptionNames OptionsOfSynopsis(std::string_view synopsis);

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // flags map to ""

  bool Has(const std::string& name) const { return options.count(name) != 0; }
};

// Options may stand before, between or after the other arguments; "--" ends them, so a notation
// that starts with "-" can still be given. `args` are the command's, its name first.
bool ParseArguments(const std::vector<std::string>& args, const OptionNames& names,
                    Arguments& parsed, std::string& error);

// A command line argument as UTF-8, for messages.
std::string ArgText(std::string_view arg);

class Command {
 public:
  // `synopsis`: the command's name and its arguments, as the usage text gives them.
  Command(std::string_view name, std::string_view synopsis, std::ostream& out, std::ostream& err)
      : name_(name), synopsis_(synopsis), out_(out), err_(err) {}

  // Prints "pelmo-deck: COMMAND: message" and gives the status for errors.
  int Fail(const std::string& message);
  // The same, with the command's synopsis after the message.
  int Usage(const std::string& message);

  const std::string& name() const { return name_; }
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }

 private:
  std::string name_;
  std::string synopsis_;
  std::ostream& out_;
  std::ostream& err_;
};

using CommandRun = int (*)(Command&, const Arguments&);

// A notation argument as the code page 932 bytes pelmo would hold for it, so that "あa0" scans as
// the viewer scans the deck's bytes; nothing, reported, when a character has no such bytes.
std::optional<std::string> NotationArgument(Command& command, const std::string& arg);

// Findings about a command-line argument, on standard error; the status they call for.
int ReportFindings(Command& command, const std::vector<Finding>& findings);

// Warnings for what of a notation (code page 932 bytes) draws nothing; the status they call for.
int ReportNotation(Command& command, std::string_view notation);

// IN and OUT of a command that converts one file into another: paths as the system takes them,
// and labels for messages.
struct InAndOut {
  std::string in, out, inLabel, outLabel;
};

// What the input of a conversion must be: a deck (of which only what pelmo reads counts) or any
// text, and the size past which it is refused.
struct InputKind {
  bool deck = true;
  size_t limit;
};

// Reads IN whole and guards OUT: IN must be text of the kind, and OUT neither IN itself, by any
// name, nor anything the command could not replace. Nothing when all is well, else the status of
// the failure it reported.
std::optional<int> ReadInput(Command& command, const Arguments& args, const InputKind& kind,
                             InAndOut& files, std::string& bytes);

// DECK and OUT of a command that turns a deck into another file, read and guarded as above.
std::optional<int> ReadDeck(Command& command, const Arguments& args, InAndOut& files,
                            std::string& bytes);

// "OUT: N cards written", and a warning on each card the author should look at (status 1).
struct CardsWritten {
  const char* lead;   // after "card N"
  const char* code;   // of each warning
  const char* which;  // "N of them ..."
};
int ReportCardsWritten(Command& command, const InAndOut& files, size_t cards,
                       const std::vector<CardProblem>& problems, const CardsWritten& words);

// "1 row", "2 rows".
std::string Counted(size_t n, const char* noun);

}  // namespace pelmo::deck
