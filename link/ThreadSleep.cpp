// The pauses of a desktop program: the thread that talks to the board sleeps.

#include <sys/prctl.h>

#include <thread>

#include "link/Delay.h"

namespace km640 {

namespace {

// Linux lets a sleeping thread wake up to this much late so that timers can
// be merged; 50 us by default. The exchanges make hundreds of pauses, and
// the wire-time budget has no room for slack piling up.
constexpr unsigned long kTimerSlackNs = 1000;

}  // namespace

void CalibrateCounter() { (void)prctl(PR_SET_TIMERSLACK, kTimerSlackNs, 0, 0, 0); }

void SleepUntil(std::chrono::steady_clock::time_point deadline) {
    // sleep_until goes back to sleep after a signal, so the pause is never cut short.
    std::this_thread::sleep_until(deadline);
}

}  // namespace km640
