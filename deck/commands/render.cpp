#include <algorithm>

#include "deck/commands/commands.h"
#include "deck/files.h"
#include "deck/platform.h"
#include "deck/png.h"
#include "deck/render.h"

namespace pelmo::deck {

namespace {

// --scale's value: one or two digits, in range. Nothing, reported, otherwise.
std::optional<int> Scale(Command& command, const Arguments& args) {
  if (!args.Has("--scale")) {
    return 1;
  }
  const std::string& text = args.options.at("--scale");
  const bool digits =
      !text.empty() && text.size() <= 2 &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) {
    command.Fail("--scale " + ArgText(text) + ": the scale must be a whole number from 1 to " +
                 std::to_string(kRenderMaxScale));
    return std::nullopt;
  }
  return std::stoi(text);
}

}  // namespace

int RunRender(Command& command, const Arguments& args) {
  if (args.positional.size() != 2) {
    return command.Usage("a notation and an output file are needed");
  }
  const std::optional<int> scale = Scale(command, args);
  if (!scale) {
    return 2;
  }
  const std::optional<std::string> notation = NotationArgument(command, args.positional[0]);
  if (!notation) {
    return 2;
  }
  const std::string outLabel = ArgText(args.positional[1]);
  GrayImage image;
  std::string error;
  if (!RenderNotation(*notation, *scale, image, error)) {
    return command.Fail(error);
  }
  if (!WriteFileAtomically(NativePath(args.positional[1]), EncodePng(image), error)) {
    return command.Fail(outLabel + ": " + error);
  }
  command.out() << outLabel << ": " << image.width << " x " << image.height << " pixels\n";
  return ReportNotation(command, *notation);
}

}  // namespace pelmo::deck
