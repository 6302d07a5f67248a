#include "link/Delay.h"

#include <atomic>
#include <chrono>

namespace km640 {

namespace {

using Counter = std::chrono::steady_clock;
std::atomic<std::int64_t> calibration{0};

std::int64_t readCounter() { return Counter::now().time_since_epoch().count(); }

}  // namespace

void CalibrateCounter() {
    const std::int64_t t0 = readCounter();
    std::int64_t t1 = t0;
    for (int i = 0; i < 1000; ++i) t1 = readCounter();
    calibration = (t1 - t0) / 1000;
}

std::int64_t CounterCalibration() { return calibration; }

void DelayMs(int ms) {
    constexpr std::int64_t frequency = Counter::period::den / Counter::period::num;
    const std::int64_t target = readCounter() + ms * frequency / 1000 - 2 * calibration;
    while (readCounter() <= target) {
    }
}

}  // namespace km640
