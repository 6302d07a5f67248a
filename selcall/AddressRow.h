#pragma once
// The non-tone cells of a call-address row: how the alert tone byte reads as the
// two lists, which cells a row enables, the fixed alert seconds and the name.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codeplug/CodePlugImage.h"
#include "codeplug/KeyFilters.h"
#include "selcall/AddressLayout.h"
#include "selcall/SelcallMessage.h"

namespace km640 {

enum class AlertToneType { Standard = 0, Continuous = 1, UserDefine = 2 };

// Items of the Alert Tone Type list, Alert Pattern list and Alert Time list.
constexpr std::array<std::string_view, 3> kAlertToneTypeItems = {"Standard", "Continuous", "User define"};
constexpr std::array<std::string_view, 8> kAlertPatternItems = {"1", "2", "3", "4", "5", "6", "7", "8"};
constexpr std::array<std::string_view, 2> kAlertTimeItems = {"STD", "FIXED"};

// Captions of the Call No. boxes: "#1".."#8", "Group #1".."Group #4".
std::string callNumberCaption(int record);

struct AlertTone {
    AlertToneType type = AlertToneType::Standard;
    int pattern = 0;  // 0..7, pattern "1".."8"; meaningful for UserDefine
    bool operator==(const AlertTone&) const = default;
};

// Byte 14 as the lists show it: 16 Standard, 17 Continuous, 0..7 a user pattern.
// Any other byte, which only a damaged code-plug holds, shows as user pattern "1".
AlertTone alertToneFromByte(std::uint8_t stored);
std::uint8_t alertToneByte(const AlertTone& tone);

// What the enabling of a row depends on besides the row itself.
struct AddressRowContext {
    std::array<bool, 4> profileOn{};        // the "ON" boxes of profiles 1..4
    bool fixedAlertTimeEnabled = false;     // "Enable Fixed Alert Time"
    bool vibratorInChargerDisabled = false; // "Disable Vibrator In Charger"
    bool oneChannel = false;                // "One Channel": F2 is switched off
};

struct AddressRowEnabling {
    bool mark = false;      // also Tone 1, Tone 2, Alert Tone Type, Pr. Alert, SW-A..SW-D
    std::array<bool, 4> profiles{};
    bool alertPattern = false;
    bool alertTime = false;  // the list and the seconds field
    bool vibratorInCharger = false;
};

// The context as the image holds it: a profile is on while its on byte is not 0
// (its "ON" box is ticked), the fixed alert time only while its byte is 1.
AddressRowContext addressRowContext(const CodePlugImage& image);

// Whether the column of profile 1..4 (index 0..3) takes part on a channel page:
// the profile is on, and for F2 the pager also uses its second channel.
bool profileColumnEnabled(CallChannel channel, int profile, const AddressRowContext& context);

AddressRowEnabling addressRowEnabling(CallChannel channel, bool inUse, AlertToneType alertType,
                                      const AddressRowContext& context);
// The same for record 0..11 as the image holds it (in use, alert tone byte).
AddressRowEnabling addressRowEnabling(const CodePlugImage& image, CallChannel channel, int record,
                                      const AddressRowContext& context);

// Messages of the alert seconds field.
SelcallMessage alertSecondsKeyMessage();    // a non-digit typed
SelcallMessage alertSecondsRangeMessage();  // outside 1..127

// The key rule of the seconds field: digits and Backspace go in, Enter commits,
// anything else typed is refused with alertSecondsKeyMessage().
KeyDecision alertSecondsKey(char32_t key);

enum class AlertSecondsOutcome { Reshown, OutOfRange, Stored };
struct AlertSecondsResult {
    AlertSecondsOutcome outcome = AlertSecondsOutcome::Reshown;
    std::optional<SelcallMessage> message;  // with OutOfRange; the field keeps the focus
};

// Commits the seconds field of a row. A blank text stores nothing and the channel's
// alert-time cells are shown again; a text that is no whole number in 1..127 (a
// pasted one, too) is refused with the range message.
AlertSecondsResult commitAlertSeconds(CodePlugImage& image, CallChannel channel, int record,
                                      std::string_view text);

// The twelve characters a typed name is stored as: twelve blanks for a blank name,
// otherwise the text as typed (leading blanks kept) padded or cut to twelve.
std::string addressNameToStore(std::string_view typed);

}  // namespace km640
