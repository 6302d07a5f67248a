#include "link/Delay.h"

#include <sys/prctl.h>

#include <chrono>
#include <thread>

namespace km640 {

namespace {

// Linux lets a sleeping thread wake up to this much late so that timers can
// be merged; 50 us by default. The exchanges make hundreds of pauses, and
// the wire-time budget has no room for slack piling up.
constexpr unsigned long kTimerSlackNs = 1000;

}  // namespace

void CalibrateCounter() { (void)prctl(PR_SET_TIMERSLACK, kTimerSlackNs, 0, 0, 0); }

void DelayMs(int ms) {
    if (ms <= 0) return;
    // sleep_until goes back to sleep after a signal, so the pause is never cut short.
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

}  // namespace km640
