#pragma once

#include "deck/command.h"

// The run function of each command, one file each in this folder; deck/tool.cpp's table gives
// each its name, synopsis and help.
namespace pelmo::deck {

int RunCheck(Command& command, const Arguments& args);
int RunIpa(Command& command, const Arguments& args);
int RunNotation(Command& command, const Arguments& args);
int RunRender(Command& command, const Arguments& args);
int RunExport(Command& command, const Arguments& args);
int RunPage(Command& command, const Arguments& args);
int RunImport(Command& command, const Arguments& args);

}  // namespace pelmo::deck
