#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "deck/findings.h"

namespace pelmo::deck {

// Reads a deck exactly as the viewer does (its own loader, line reader, splitter and notation
// scanner) and reports, in file order, what a learner would see wrong or miss. False, with a
// one-line reason, when the file cannot be checked at all: it cannot be read, or it is no text.
// The file is only ever opened for reading. `totals`, when given, receives how many findings of
// each severity (indexed by Severity) there are, the ones past the listing limit included.
using SeverityTotals = std::array<size_t, 3>;
bool CheckDeckFile(const std::string& path, std::vector<Finding>& findings, std::string& error,
                   SeverityTotals* totals = nullptr);

}  // namespace pelmo::deck
