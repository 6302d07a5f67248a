#pragma once
// The commands that take a code-plug as text: set fields from the command
// line, export a code-plug as text and import one from text.

#include <ostream>

#include "cli/CliArguments.h"

namespace km640::cli {

// set FILE NAME=VALUE ... [-o OUT]
int runSet(const CliArguments& arguments, std::ostream& out, std::ostream& err);
// export FILE [-o TEXT]
int runExport(const CliArguments& arguments, std::ostream& out, std::ostream& err);
// import TEXT -o FILE [--base BASE]
int runImport(const CliArguments& arguments, std::ostream& out, std::ostream& err);

}  // namespace km640::cli
