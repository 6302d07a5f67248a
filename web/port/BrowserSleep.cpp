// The pauses of the browser edition. The page has one thread, which also
// paints the page and takes the port's bytes: a pause hands control back to
// the browser (Asyncify unwinds the C++ stack) and resumes when a timer
// fires, never spinning. Deadlines are on the steady clock, which in the
// browser is performance.now(): monotonic, unaffected by the wall clock.

#include <emscripten.h>

#include "link/Delay.h"

namespace km640 {

// Browser timers know no slack setting.
void CalibrateCounter() {}

void SleepUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    // A timer may fire a little early by the monotonic clock; sleep again
    // for what is left, so a pause is never shorter than asked.
    for (auto now = steady_clock::now(); now < deadline; now = steady_clock::now())
        emscripten_sleep(static_cast<unsigned>(ceil<milliseconds>(deadline - now).count()));
}

}  // namespace km640
