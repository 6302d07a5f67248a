#include "link/Delay.h"

namespace km640 {

void DelayMs(int ms) {
    if (ms <= 0) return;
    SleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

}  // namespace km640
