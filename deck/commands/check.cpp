#include <algorithm>

#include "deck/check.h"
#include "deck/commands/commands.h"
#include "deck/platform.h"

namespace pelmo::deck {

int RunCheck(Command& command, const Arguments& args) {
  if (args.positional.empty()) {
    return command.Usage("no file given");
  }
  const bool json = args.Has("--json");
  int status = 0;
  for (const std::string& arg : args.positional) {
    const std::string label = ArgText(arg);
    std::vector<Finding> findings;
    std::string error;
    SeverityTotals counts;
    if (!CheckDeckFile(NativePath(arg), findings, error, &counts)) {
      status = std::max(status, command.Fail(label + ": " + error));
      continue;
    }
    for (const Finding& f : findings) {
      command.out() << (json ? FindingJson(f, label) : FormatFinding(f, label)) << "\n";
    }
    if (!json) {
      command.out() << label << ": " << Counted(counts[2], "error") << ", "
                    << Counted(counts[1], "warning") << ", " << Counted(counts[0], "note") << "\n";
    }
    status = std::max(status, ExitStatusFor(findings));
  }
  return status;
}

}  // namespace pelmo::deck
