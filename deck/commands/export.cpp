#include "deck/export.h"
#include "deck/commands/commands.h"
#include "deck/files.h"

namespace pelmo::deck {

int RunExport(Command& command, const Arguments& args) {
  InAndOut files;
  std::string bytes;
  if (const std::optional<int> failed = ReadDeck(command, args, files, bytes)) {
    return *failed;
  }
  std::string error;
  ExportResult result;
  if (!ExportDeck(bytes, args.Has("--ipa"), result, error)) {
    return command.Fail(files.inLabel + ": " + error);
  }
  if (!WriteFileAtomically(files.out, result.csv, error)) {
    return command.Fail(files.outLabel + ": " + error);
  }
  return ReportCardsWritten(
      command, files, result.cards, result.problems,
      {" would not come back unchanged: ", "no-round-trip", "not coming back unchanged"});
}

}  // namespace pelmo::deck
