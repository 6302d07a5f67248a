// Pauses last at least as long as asked, and the thread sleeps through them.

#include "link/Delay.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <chrono>

using namespace km640;

namespace {

std::chrono::microseconds threadCpuTime() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto us = [](const timeval& t) { return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec); };
    return us(usage.ru_utime) + us(usage.ru_stime);
}

}  // namespace

TEST(DelayMs, NeverShorterThanAskedAndSleepsMeanwhile) {
    CalibrateCounter();
    for (const int ms : {0, 1, 5, 6, 11, 100, 200}) {
        const auto cpu0 = threadCpuTime();
        const auto start = std::chrono::steady_clock::now();
        DelayMs(ms);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(ms)) << ms;
        // A busy wait would cost the whole pause in processor time.
        if (ms >= 100) {
            EXPECT_LT(threadCpuTime() - cpu0, std::chrono::milliseconds(ms / 4)) << ms;
        }
    }
}
