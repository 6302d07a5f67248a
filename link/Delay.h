#pragma once
// Millisecond pauses of the board exchanges. The board needs every pause to
// last at least as long as asked; a little longer does no harm. The thread
// sleeps until a deadline on the steady clock, so a pause costs no processor
// time: a service laptop stays cool and one PC can drive several boards.

namespace km640 {

// Prepares the calling thread for its pauses: asks the kernel to wake it as
// close to its deadlines as it can (the smallest timer slack). Run once, on
// the thread that talks to the board, before the first pause.
void CalibrateCounter();
// Pauses for ms milliseconds, never less; the thread sleeps meanwhile.
void DelayMs(int ms);

}  // namespace km640
