#pragma once
// Millisecond pauses of the board exchanges. The board needs every pause to
// last at least as long as asked; a little longer does no harm. A pause
// sleeps until a deadline on the monotonic clock and costs no processor time:
// a service laptop stays cool and one PC can drive several boards.
//
// ThreadSleep.cpp sleeps the calling thread; in the browser, where the page's one
// thread must keep serving its events, web/port/BrowserSleep.cpp hands the
// wait to the browser's timers instead. Either is linked, never both.

#include <chrono>

namespace km640 {

// Prepares the calling thread for its pauses: asks the system to wake it as
// close to its deadlines as it can. Run once, on the thread that talks to the
// board, before the first pause.
void CalibrateCounter();
// Sleeps until the steady clock has reached the deadline, never less.
void SleepUntil(std::chrono::steady_clock::time_point deadline);
// Pauses for ms milliseconds, never less; the thread sleeps meanwhile.
void DelayMs(int ms);

}  // namespace km640
