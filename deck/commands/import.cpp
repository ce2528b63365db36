#include "deck/import.h"
#include "deck/commands/commands.h"
#include "deck/files.h"
#include "deck/messages.h"
#include "deck/text_encoding.h"

namespace pelmo::deck {

namespace {

// --comma's character: "U+XXXX", or one character. It must be a character the deck can hold that
// neither separates, quotes nor escapes.
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

// The options as ImportDeck takes them; nothing, reported, when they are wrong.
std::optional<ImportOptions> Options(Command& command, const Arguments& args) {
  if (args.Has("--csv") && args.Has("--tsv")) {
    command.Usage("--csv and --tsv exclude each other");
    return std::nullopt;
  }
  ImportOptions options;
  options.format = args.Has("--csv")   ? CsvFormat::kComma
                   : args.Has("--tsv") ? CsvFormat::kTab
                                       : CsvFormat::kDetect;
  if (args.Has("--comma")) {
    std::string error;
    options.commaReplacement = CommaReplacement(args.options.at("--comma"), error);
    if (!options.commaReplacement) {
      command.Fail(error);
      return std::nullopt;
    }
  }
  return options;
}

// "OUT: 2 rows written, 1 refused, ..." and the status it calls for.
int ReportImported(Command& command, const std::string& outLabel, const ImportResult& result) {
  command.out() << outLabel << ": " << Counted(result.writtenLines.size(), "row") << " written, "
                << result.refused << " refused";
  if (result.emptyRecords > 0) {
    command.out() << ", " << result.emptyRecords << " empty skipped";
  }
  if (result.recordsWithMoreColumns > 0) {
    command.out() << "; columns after the third left out on "
                  << Counted(result.recordsWithMoreColumns, "row");
  }
  if (result.warnings > 0) {
    command.out() << "; " << Counted(result.warnings, "IPA symbol") << " drawn as another";
  }
  command.out() << "\n";
  return result.refused == 0 && result.warnings == 0 ? 0 : 1;
}

}  // namespace

int RunImport(Command& command, const Arguments& args) {
  if (args.positional.size() != 2) {
    return command.Usage("an input and an output file are needed");
  }
  const std::optional<ImportOptions> options = Options(command, args);
  if (!options) {
    return 2;
  }
  InAndOut files;
  std::string bytes;
  if (const std::optional<int> failed =
          ReadInput(command, args, {false, kMaxImportBytes}, files, bytes)) {
    return *failed;
  }
  auto report = [&](const ImportRefusal& r) {
    command.err() << files.inLabel << ":" << r.line << ": "
                  << (r.field.empty() ? "" : r.field + ": ") << r.reason << " [" << r.code << "]\n";
  };
  ImportResult result;
  std::string error;
  if (!ImportDeck(bytes, *options, result, error, report, report)) {
    return command.Fail(files.inLabel + ": " + error);
  }
  const size_t written = result.writtenLines.size();
  if (written == 0) {
    return command.Fail(files.outLabel + ": not written: no row to write (" +
                        std::to_string(result.refused) + " refused)");
  }
  if (!WriteFileAtomically(files.out, result.deck, error,
                           [&](const std::string& path, std::string& why) {
                             return VerifyWrittenDeck(path, result.deck, written, why);
                           })) {
    return command.Fail(files.outLabel + ": " + error);
  }
  return ReportImported(command, files.outLabel, result);
}

}  // namespace pelmo::deck
