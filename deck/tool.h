#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pelmo::deck {

// The whole command line tool: `args` are the arguments after the program's name, in UTF-8 on
// every system. Writes UTF-8 and returns the exit status:
// 0 clean, 1 warnings or refused rows, 2 errors (every error is one line on `err`).
int RunDeckTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pelmo::deck
