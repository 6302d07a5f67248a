#pragma once
// The exit code of production --serial-from-stdin, over all pagers of the
// run (each with its own code as a single production run would end):
//
//   1. 10 or 11, of the first pager that was programmed but whose log line
//      or record row was lost: the log or the record must be put right by
//      hand, and those pagers must not simply be programmed again;
//   2. otherwise the code of the first pager that failed (not 0, not 12);
//   3. otherwise 12 when a serial number was refused as programmed before;
//   4. otherwise 0.
//
// So a refusal never hides a lost log line or row, nor a failure.

#include <span>

#include "cli/ExitCode.h"

namespace km640::cli {

ExitCode runExitCode(std::span<const ExitCode> pagers);

}  // namespace km640::cli
