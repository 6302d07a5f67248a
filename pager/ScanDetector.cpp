#include "pager/ScanDetector.h"

namespace km640 {

ScanDetector::Action ScanDetector::keyDown(int trimmedLength, bool isEnter, std::uint32_t now) {
    if (trimmedLength == 1) scanStart_ = now;  // the key-down of the second character
    if (!isEnter) return Action::None;
    if (trimmedLength < kMinimumLength) return Action::SwallowEnter;
    // Unsigned difference: the tick count may wrap between the two keys.
    if (static_cast<std::uint32_t>(now - scanStart_) >= kScanWindowMs) return Action::SwallowEnter;
    return Action::StartProduction;
}

std::string SerialNumberProblem(const std::string& serial) {
    if (serial.empty()) return "--serial needs a serial number";
    if (serial.size() > kMaxSerialLength)
        return "a serial number has at most " + std::to_string(kMaxSerialLength) + " characters";
    for (const char c : serial)
        if (c <= ' ' || c >= 0x7F) return "a serial number is letters and digits without blanks";
    return {};
}

std::string ScannedSerialProblem(const std::string& serial) {
    const auto minimum = static_cast<std::size_t>(ScanDetector::kMinimumLength);
    if (serial.size() < minimum || serial.size() > kMaxSerialLength)
        return "a scanned serial number has " + std::to_string(minimum) + " to " + std::to_string(kMaxSerialLength) +
               " characters";
    return SerialNumberProblem(serial);
}

}  // namespace km640
