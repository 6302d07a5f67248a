#pragma once
// The fleet roster on the command line: checking a roster against the line's
// code-plug before a fleet is programmed, reading one for production, and
// the fleet job's progress from the production record.

#include <optional>
#include <ostream>
#include <string>

#include "cli/CliArguments.h"
#include "cli/CliRunner.h"
#include "codeplug/CodePlugImage.h"
#include "pager/RosterProduction.h"

namespace km640::cli {

// A roster read and every row checked against the line's code-plug. Every
// problem goes to `problems`, one line each; nothing is given back when there
// is any, so no pager of a roster with a bad row is programmed.
// A roster that passed with this code-plug before (checks) is only read.
std::optional<RosterJob> loadRoster(const std::string& path, const CodePlugImage& line, std::ostream& problems,
                                    RosterCheckCache* checks);

// roster check LINE ROSTER: every problem on standard output, then a count.
// roster status ROSTER: every row with its latest run, then a count.
int runRoster(const CliArguments& arguments, CliContext& context);

}  // namespace km640::cli
