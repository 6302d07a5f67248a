#pragma once
// Millisecond pauses of the board exchanges. They are busy waits on the
// steady clock: the board's timing is tighter than what a sleeping thread is
// woken for. The cost of one clock reading is measured once at start-up and
// taken off every pause twice (the two readings that frame it).

#include <cstdint>

namespace km640 {

// Measures the cost of one clock reading; run once before the first pause.
void CalibrateCounter();
// The measured cost in clock ticks (0 before calibration).
std::int64_t CounterCalibration();
// Waits ms milliseconds without giving the thread up.
void DelayMs(int ms);

}  // namespace km640
