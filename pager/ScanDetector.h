#pragma once
// Tells a barcode scanner from a person typing a serial number: a scanner
// delivers the whole label in a burst, so Enter follows the second character
// within 200 ms. Only a complete label (11 characters or more) counts.

#include <cstdint>

namespace km640 {

class ScanDetector {
public:
    enum class Action { None, SwallowEnter, StartProduction };

    // Called for every key pressed in the serial number field, before the key
    // changes the text. trimmedLength is the length of the field's text with
    // blanks removed; now is the millisecond tick count.
    Action keyDown(int trimmedLength, bool isEnter, std::uint32_t now);

    static constexpr std::uint32_t kScanWindowMs = 200;
    static constexpr int kMinimumLength = 11;

private:
    std::uint32_t scanStart_ = 0;
};

}  // namespace km640
