#pragma once
// Tells a barcode scanner from a person typing a serial number: a scanner
// delivers the whole label in a burst, so Enter follows the second character
// within 200 ms. Only a complete label (11 characters or more) counts.

#include <cstddef>
#include <cstdint>
#include <string>

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

// The longest serial number the pager's serial block holds.
constexpr std::size_t kMaxSerialLength = 14;

// Why a text is no serial number (empty, too long, blanks or control
// characters), or empty when it is one.
std::string SerialNumberProblem(const std::string& serial);
// The same for a scanned label, which also has at least kMinimumLength
// characters: the rule a roster's serial numbers follow too.
std::string ScannedSerialProblem(const std::string& serial);

}  // namespace km640
