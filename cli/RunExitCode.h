#pragma once
// The exit code of production --serial-from-stdin, over all pagers of the
// run (each with its own code as a single production run would end):
//
//   1. 10 or 11, of the first pager that was programmed but whose log line
//      or record row was lost: the log or the record must be put right by
//      hand, and those pagers must not simply be programmed again;
//   2. otherwise the code of the first pager that failed (not 0, 12 or 14);
//   3. otherwise that of the first refused label: 12 (programmed before) or
//      14 (not in the roster);
//   4. otherwise 0.
//
// So a refusal never hides a lost log line or row, nor a failure.

#include <span>

#include "cli/ExitCode.h"

namespace km640::cli {

ExitCode runExitCode(std::span<const ExitCode> pagers);

}  // namespace km640::cli
