#include "deck/page.h"
#include "deck/commands/commands.h"
#include "deck/files.h"

namespace pelmo::deck {

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
  return ReportCardsWritten(command, files, result.cards, result.problems,
                            {": ", "invalid-cp932", "with bytes that are no text"});
}

}  // namespace pelmo::deck
