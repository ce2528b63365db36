#include "deck/command.h"

#include <algorithm>
#include <sstream>

#include "deck/files.h"
#include "deck/messages.h"
#include "deck/notation_findings.h"
#include "deck/platform.h"
#include "deck/text_encoding.h"

namespace pelmo::deck {

OptionNames OptionsOfSynopsis(std::string_view synopsis) {
  std::vector<std::string> words;
  std::istringstream in{std::string(synopsis)};
  for (std::string word; in >> word;) {
    words.push_back(word);
  }
  OptionNames names;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const size_t start = word.find("--");
    if (start == std::string::npos) {
      continue;
    }
    const std::string name = word.substr(start, word.find(']') - start);
    // "[--scale N]": the bracket closes after the value; "[--json]", "[--csv | --tsv]": no value.
    const bool valued = word.back() != ']' && i + 1 < words.size() && words[i + 1] != "|" &&
                        words[i + 1].find("--") == std::string::npos;
    (valued ? names.valued : names.flags).push_back(name);
  }
  return names;
}

bool ParseArguments(const std::vector<std::string>& args, const OptionNames& names,
                    Arguments& parsed, std::string& error) {
  const auto known = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
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
    if (known(names.flags, name) && equals == std::string::npos) {
      parsed.options[name] = "";
    } else if (known(names.valued, name)) {
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

std::string ArgText(std::string_view arg) {
  return SanitizeUtf8(arg);
}

int Command::Fail(const std::string& message) {
  err_ << kProgram << ": " << name_ << ": " << message << "\n";
  return 2;
}

int Command::Usage(const std::string& message) {
  return Fail(message + " (usage: " + kProgram + " " + synopsis_ + ")");
}

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

int ReportFindings(Command& command, const std::vector<Finding>& findings) {
  for (const Finding& f : findings) {
    command.err() << FormatFinding(f, std::string(kProgram) + ": " + command.name()) << "\n";
  }
  return ExitStatusFor(findings);
}

int ReportNotation(Command& command, std::string_view notation) {
  std::vector<Finding> findings;
  AddNotationFindings(notation, 0, 1, true, findings);
  return ReportFindings(command, findings);
}

std::optional<int> ReadInput(Command& command, const Arguments& args, const InputKind& kind,
                             InAndOut& files, std::string& bytes) {
  files = {NativePath(args.positional[0]), NativePath(args.positional[1]),
           ArgText(args.positional[0]), ArgText(args.positional[1])};
  std::string error;
  if (!ReadInputFile(files.in, bytes, error, kind.limit)) {
    return command.Fail(files.inLabel + ": " + error);
  }
  if (const std::string why = kind.deck ? DescribeNonDeck(bytes) : DescribeNonText(bytes);
      !why.empty()) {
    return command.Fail(files.inLabel + ": " + why);
  }
  if (SameFile(files.in, files.out)) {
    return command.Fail(files.outLabel + ": this is the input file; the " + command.name() +
                        " never overwrites it");
  }
  if (const std::string why = WhyNotReplaced(files.out); !why.empty()) {
    return command.Fail(files.outLabel + ": " + why);
  }
  return std::nullopt;
}

std::optional<int> ReadDeck(Command& command, const Arguments& args, InAndOut& files,
                            std::string& bytes) {
  if (args.positional.size() != 2) {
    return command.Usage("a deck and an output file are needed");
  }
  return ReadInput(command, args, {true, kMaxInputBytes}, files, bytes);
}

int ReportCardsWritten(Command& command, const InAndOut& files, size_t cards,
                       const std::vector<CardProblem>& problems, const CardsWritten& words) {
  for (const CardProblem& p : problems) {
    command.err() << files.inLabel << ":" << p.card << ": warning: card " << p.card << words.lead
                  << p.reason << " [" << words.code << "]\n";
  }
  command.out() << files.outLabel << ": " << Counted(cards, "card") << " written";
  if (!problems.empty()) {
    command.out() << ", " << problems.size() << " of them " << words.which;
  }
  command.out() << "\n";
  return problems.empty() ? 0 : 1;
}

std::string Counted(size_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace pelmo::deck
