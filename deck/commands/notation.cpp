#include "deck/commands/commands.h"
#include "deck/ipa_input.h"

namespace pelmo::deck {

int RunNotation(Command& command, const Arguments& args) {
  if (args.positional.size() != 1) {
    return command.Usage(args.positional.empty() ? "no IPA given" : "one IPA text only");
  }
  std::string notation;
  std::vector<IpaSubstitution> substitutions;
  std::string error;
  if (!IpaToNotation(ArgText(args.positional[0]), notation, substitutions, error)) {
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

}  // namespace pelmo::deck
