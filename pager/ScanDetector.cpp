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

}  // namespace km640
