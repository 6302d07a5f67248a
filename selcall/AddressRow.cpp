#include "selcall/AddressRow.h"

#include <charconv>
#include <stdexcept>

#include "codeplug/MemoryMap.h"

namespace km640 {

namespace {
constexpr std::string_view kNotADigitText = "Please insert a numeric !";
}  // namespace

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

AddressRowContext addressRowContext(const CodePlugImage& image) {
    auto value = [&image](const memmap::Field& field) { return memmap::readNumber(image, field); };
    AddressRowContext context;
    for (int p = 0; p < static_cast<int>(context.profileOn.size()); ++p)
        context.profileOn[static_cast<std::size_t>(p)] = value(memmap::field("Profile[{}].PON", p)) != 0;
    context.fixedAlertTimeEnabled = value(memmap::field("FixedAlertTimeEnable")) == 1;
    context.vibratorInChargerDisabled = value(memmap::field("DisableVibratorInCharger")) != 0;
    context.oneChannel = value(memmap::field("TwoChannelMode")) == 0;
    return context;
}

bool profileColumnEnabled(CallChannel channel, int profile, const AddressRowContext& context) {
    return context.profileOn.at(static_cast<std::size_t>(profile)) &&
           !(channel == CallChannel::F2 && context.oneChannel);
}

AddressRowEnabling addressRowEnabling(CallChannel channel, bool inUse, AlertToneType alertType,
                                      const AddressRowContext& context) {
    AddressRowEnabling cells;
    cells.mark = inUse;
    for (std::size_t p = 0; p < cells.profiles.size(); ++p)
        cells.profiles[p] = inUse && profileColumnEnabled(channel, static_cast<int>(p), context);
    cells.alertPattern = inUse && alertType == AlertToneType::UserDefine;
    cells.alertTime = inUse && context.fixedAlertTimeEnabled;
    cells.vibratorInCharger = inUse && !context.vibratorInChargerDisabled &&
                              !(channel == CallChannel::F2 && context.oneChannel);
    return cells;
}

AddressRowEnabling addressRowEnabling(const CodePlugImage& image, CallChannel channel, int record,
                                      const AddressRowContext& context) {
    if (record < 0 || record >= address::kRecordCount) throw std::out_of_range("call address");
    const int offset = address::recordOffset(channel, record);
    const bool inUse = image.GetBits(offset + address::kFlags, address::kAddrOnBit, 1) != 0;
    return addressRowEnabling(channel, inUse, alertToneFromByte(image.byte(offset + address::kAlertTone)).type,
                              context);
}

SelcallMessage alertSecondsKeyMessage() { return {std::string(kNotADigitText), std::string(kSelcallCaption)}; }

SelcallMessage alertSecondsRangeMessage() {
    return {"Please insert a number between 1 and 127 !", std::string(kSelcallCaption)};
}

KeyDecision alertSecondsKey(char32_t key) {
    static constexpr KeyMessage kNotADigit{kNotADigitText, kSelcallCaption, KeyMessageIcon::Warning};
    if (key == kKeyEnter) return {KeyVerdict::Commit};
    if (key == kKeyBackspace || (key >= U'0' && key <= U'9')) return {KeyVerdict::Pass};
    return {KeyVerdict::Refuse, kNotADigit};
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
