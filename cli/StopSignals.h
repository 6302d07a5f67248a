#pragma once
// Ctrl-C (SIGINT), kill (SIGTERM) and a closed terminal (SIGHUP) do not end
// km640-cli in the middle of a pager: a pager left half-written, without its
// log line and with its run open in the record is worse than a few seconds'
// wait. The first signal lets the pager being written finish (write,
// read-back, reset, log line, record row) and ends the run there; a second
// one stops the transfer after the block being exchanged.
//
// The handlers only count the signals and write a byte into a pipe, so that
// a wait for the next scanned label wakes up at once.

namespace km640::cli {

class StopSignals {
public:
    // Installs the handlers for the whole process; false when the pipe or a
    // handler could not be set up (the signals then end the program as usual).
    static bool install();
    // The stop signals received since install().
    static int received();
    // Readable once a stop signal was received; -1 before install().
    static int wakeFd();
};

}  // namespace km640::cli
