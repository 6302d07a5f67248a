#pragma once
// The commands that work on code-plug files only: dump, diff of two files and
// check; and the reading of a code-plug file for every command.

#include <optional>
#include <ostream>
#include <string>

#include "cli/CliArguments.h"
#include "codeplug/CodePlugImage.h"

namespace km640::cli {

// A code-plug file as it is; a missing, unreadable or short file, and a
// directory, named pipe or device in its place, is reported on err and gives
// nothing.
std::optional<CodePlugImage> loadCodePlug(const std::string& path, std::ostream& err);

// A code-plug file as the window opens it before it goes to a pager: a file
// that is no KM640 code-plug is refused, the battery levels of a code-plug
// from a program before version 117 are set afresh, it is normalised as a
// window that has just started shows it (the messages the window would show
// go to err, one line each), and the program's version is stamped.
std::optional<CodePlugImage> loadCodePlugForPager(const std::string& path, std::ostream& err);

int runDump(const CliArguments& arguments, std::ostream& out, std::ostream& err);
int runDiffFiles(const CliArguments& arguments, std::ostream& out, std::ostream& err);
int runCheck(const CliArguments& arguments, std::ostream& out, std::ostream& err);

// Prints the differences of a code-plug against another as text or JSON and
// gives the exit code: Success when equal, Differences otherwise.
int printDifferences(const CodePlugImage& a, const CodePlugImage& b, const std::string& nameA,
                     const std::string& nameB, bool json, std::ostream& out);

}  // namespace km640::cli
