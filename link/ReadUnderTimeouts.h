#pragma once
// One read from the programmer board under the line's time-outs, the same on
// every port (a serial device on the desktop, Web Serial or a WebSocket in
// the browser): the whole read gives up after 250 ms and 1 ms a byte, and
// once bytes flow a pause longer than 15 ms ends it. A port brings its own
// two calls: take moves what has arrived into the buffer, wait waits up to
// the given milliseconds for more and says whether any came; both throw
// when the line itself failed.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/SerialPort.h"

namespace km640 {

// Milliseconds left until the deadline, never below 0.
inline int MsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

template <class Take, class Wait>
std::size_t ReadUnderTimeouts(std::span<std::uint8_t> buffer, Take take, Wait wait) {
    using namespace porttimeouts;
    if (buffer.empty()) return 0;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(kReadTotalConstantMs + kReadTotalPerByteMs * buffer.size());
    std::size_t count = 0;
    while (true) {
        count += take(buffer.subspan(count));
        if (count == buffer.size()) break;
        const int left = MsUntil(deadline);
        if (left == 0) break;
        // Once bytes flow, a pause longer than the interval ends the read.
        if (!wait(count == 0 ? left : std::min(left, kReadIntervalMs))) break;
    }
    if (count < buffer.size()) buffer[count] = 0;
    return count;
}

}  // namespace km640
