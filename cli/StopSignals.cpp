#include "cli/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace km640::cli {

namespace {

std::atomic<int> g_received{0};
int g_pipe[2] = {-1, -1};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free counter");

extern "C" void onStopSignal(int) {
    const int savedErrno = errno;
    g_received.fetch_add(1, std::memory_order_relaxed);
    const char byte = 1;
    // A full pipe already wakes the reader; the byte may then be dropped.
    (void)!::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

bool StopSignals::install() {
    if (g_pipe[0] >= 0) return true;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // The serial port's waits and the record's calls go on where they were.
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) ok = ::sigaction(s, &action, nullptr) == 0 && ok;
    // With the terminal or the reading end of a pipe gone, output fails
    // instead of ending the program before the pager is finished.
    ::signal(SIGPIPE, SIG_IGN);
    return ok;
}

int StopSignals::received() { return g_received.load(std::memory_order_relaxed); }

int StopSignals::wakeFd() { return g_pipe[0]; }

}  // namespace km640::cli
