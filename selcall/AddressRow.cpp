#include "selcall/AddressRow.h"

#include <charconv>
#include <stdexcept>

namespace km640 {

std::string callNumberCaption(int record) {
    if (record < 0 || record >= address::kRecordCount) throw std::out_of_range("call address");
    if (record < address::kFirstGroup) return "#" + std::to_string(record + 1);
    return "Group #" + std::to_string(record - address::kFirstGroup + 1);
}

AlertTone alertToneFromByte(std::uint8_t stored) {
    if (stored == address::kAlertToneStandard) return {AlertToneType::Standard, 0};
    if (stored == address::kAlertToneContinuous) return {AlertToneType::Continuous, 0};
    if (stored < address::kAlertPatternCount) return {AlertToneType::UserDefine, stored};
    return {AlertToneType::UserDefine, 0};
}

std::uint8_t alertToneByte(const AlertTone& tone) {
    switch (tone.type) {
    case AlertToneType::Standard: return address::kAlertToneStandard;
    case AlertToneType::Continuous: return address::kAlertToneContinuous;
    case AlertToneType::UserDefine: break;
    }
    if (tone.pattern < 0 || tone.pattern >= address::kAlertPatternCount) throw std::out_of_range("alert pattern");
    return static_cast<std::uint8_t>(tone.pattern);
}

AddressRowEnabling addressRowEnabling(CallChannel channel, bool inUse, AlertToneType alertType,
                                      const AddressRowContext& context) {
    AddressRowEnabling cells;
    cells.mark = inUse;
    for (std::size_t p = 0; p < cells.profiles.size(); ++p) cells.profiles[p] = inUse && context.profileOn[p];
    cells.alertPattern = inUse && alertType == AlertToneType::UserDefine;
    cells.alertTime = inUse && context.fixedAlertTimeEnabled;
    cells.vibratorInCharger = inUse && !context.vibratorInChargerDisabled &&
                              !(channel == CallChannel::F2 && context.oneChannel);
    return cells;
}

SelcallMessage alertSecondsKeyMessage() { return {"Please insert a numeric !", std::string(kSelcallCaption)}; }

SelcallMessage alertSecondsRangeMessage() {
    return {"Please insert a number between 1 and 127 !", std::string(kSelcallCaption)};
}

AlertSecondsResult commitAlertSeconds(CodePlugImage& image, CallChannel channel, int record,
                                      std::string_view text) {
    if (record < 0 || record >= address::kRecordCount) throw std::out_of_range("call address");
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::string_view number = text.substr(first, text.find_last_not_of(" \t") - first + 1);

    int seconds = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), seconds);
    if (error != std::errc{} || end != number.data() + number.size() || seconds < address::kMinAlertSeconds ||
        seconds > address::kMaxAlertSeconds)
        return {AlertSecondsOutcome::OutOfRange, alertSecondsRangeMessage()};

    image.setByte(address::recordOffset(channel, record) + address::kAlertSeconds,
                  static_cast<std::uint8_t>(seconds));
    return {AlertSecondsOutcome::Stored, std::nullopt};
}

std::string addressNameToStore(std::string_view typed) {
    std::string name(typed.substr(0, address::kNameLength));
    // Blank means nothing but blanks and control characters, as the window trims.
    bool blank = true;
    for (char c : name) blank = blank && static_cast<unsigned char>(c) <= 0x20;
    if (blank) name.clear();
    name.resize(address::kNameLength, ' ');
    return name;
}

}  // namespace km640
