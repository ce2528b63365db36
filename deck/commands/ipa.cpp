#include "deck/ipa.h"
#include "deck/commands/commands.h"

namespace pelmo::deck {

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

}  // namespace pelmo::deck
