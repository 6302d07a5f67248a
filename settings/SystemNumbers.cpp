#include "settings/SystemNumbers.h"

#include <algorithm>
#include <array>
#include <span>

#include "codeplug/MemoryMap.h"
#include "settings/SystemBlock.h"

namespace km640::sysblock {

namespace {

struct Check {
    int low;
    int high;
    bool (*accepts)(int) = nullptr;  // instead of the range, when given
    std::string_view message;
};

enum class Store { Plain, Doubled, BacklightCode, ReadStatusCode };

struct NumberDef {
    SystemNumber number;
    std::string_view member;  // the field, or the member of a timing set ("Tone1Duration")
    bool timing;              // in both decoder timing sets
    std::array<Check, 2> checks;
    int checkCount;
    Store store;
    std::optional<KeyFilter> filter;
};

bool zeroOrFiveUp(int v) { return v == 0 || v >= 5; }
bool backlight(int v) { return BacklightAccepted(v); }
bool readStatus(int v) { return MsgReadStatusAccepted(v); }

constexpr Check range(int low, int high, std::string_view message) { return {low, high, nullptr, message}; }
constexpr Check rule(bool (*accepts)(int), std::string_view message) { return {0, 0, accepts, message}; }

const NumberDef kNumbers[] = {
    {SystemNumber::RemindRepetitionTime, "RemindRepetitionTime", false,
     {range(0, 255, "Please insert a number between 5 to 255 or 0!"),
      rule(zeroOrFiveUp, "Please insert a number between 5 and 255 !")},
     2, Store::Plain, KeyFilter::digit()},
    {SystemNumber::BacklightAutoOff, "BacklightAutoOff", false,
     {rule(backlight, "Please insert a number between 1 to 127 or 255 !")}, 1, Store::BacklightCode,
     KeyFilter::digit()},
    {SystemNumber::CarrierOffDelay, "CarrierOffDelay", false,
     {range(0, 255, "Please insert a number between 0 and 255 !")}, 1, Store::Plain, std::nullopt},
    {SystemNumber::MsgReadStatus, "MsgReadStatus", false,
     {rule(readStatus, "Please insert a number between 0 to 120 or 255")}, 1, Store::ReadStatusCode,
     KeyFilter::digit()},
    {SystemNumber::Tone1Duration, "Tone1Duration", true, {range(0, 255, "Please insert a number between 0 to 255.")},
     1, Store::Plain, KeyFilter::strictDigit()},
    {SystemNumber::Tone2Duration, "Tone2Duration", true, {range(0, 255, "Please insert a number between 0 to 255.")},
     1, Store::Plain, KeyFilter::strictDigit()},
    {SystemNumber::GroupCallDuration, "GroupCallDuration", true,
     {range(0, 250, "Please insert a number between 0 to 250.")}, 1, Store::Plain, KeyFilter::strictDigit()},
    {SystemNumber::GapMax, "StdTiming.GapMax", false, {range(0, 255, "Please insert a number between 0 to 255.")}, 1,
     Store::Plain, KeyFilter::strictDigit()},
    {SystemNumber::F1ScanTime, "F1ScanTime", false, {range(1, 255, "Please insert a number between 1 to 255")}, 1,
     Store::Plain, KeyFilter::strictDigit()},
    {SystemNumber::F2ScanTime, "F2ScanTime", false, {range(1, 255, "Please insert a number between 1 to 255")}, 1,
     Store::Plain, KeyFilter::strictDigit()},
    {SystemNumber::PowerSaveTime, "PowerSaveTime", false, {range(1, 255, "Please insert a number between 1 to 255.")},
     1, Store::Plain, KeyFilter::strictDigit()},
    // The range of the decoding time is made when it is checked (see below).
    {SystemNumber::DecodingTime, "DecodingTime", true, {}, 0, Store::Plain, KeyFilter::strictDigit()},
};

const NumberDef& def(SystemNumber number) {
    for (const auto& d : kNumbers)
        if (d.number == number) return d;
    return kNumbers[0];
}

// The timing sets: 0 Plectron, 1 standard (Standard and User tone systems).
constexpr std::array<std::string_view, 2> kTimingSets{"PlectronTiming.", "StdTiming."};
constexpr int kPlectronSet = 0;
constexpr int kStandardSet = 1;

int setInUse(const CodePlugImage& image) {
    return image.byte(memmap::field("ToneSystem").offset) == kPlectronToneSystem ? kPlectronSet : kStandardSet;
}

// The tone system byte whose decoder uses a timing set.
std::uint8_t toneSystemOfSet(int set) { return set == kPlectronSet ? kPlectronToneSystem : 0; }

int setOfField(std::string_view fieldName) {
    return fieldName.starts_with(kTimingSets[kPlectronSet]) ? kPlectronSet : kStandardSet;
}

std::optional<int> failedCheck(const NumberDef& d, std::uint8_t toneSystem, int value, std::string* message) {
    if (d.number == SystemNumber::DecodingTime) {
        const int least = DecodingTimeMinimum(toneSystem);
        if (value >= least && value <= 255) return std::nullopt;
        if (message) *message = "Please insert a number between " + std::to_string(least) + " to 255.";
        return 0;
    }
    for (int k = 0; k < d.checkCount; ++k) {
        const Check& c = d.checks[static_cast<std::size_t>(k)];
        const bool ok = c.accepts ? c.accepts(value) : value >= c.low && value <= c.high;
        if (ok) continue;
        if (message) *message = std::string(c.message);
        return k;
    }
    return std::nullopt;
}

std::uint8_t storedByte(Store store, int value) {
    switch (store) {
    case Store::Plain: return static_cast<std::uint8_t>(value);
    case Store::Doubled: return static_cast<std::uint8_t>(value * 2);
    case Store::BacklightCode: return BacklightStored(value);
    case Store::ReadStatusCode: return MsgReadStatusStored(value);
    }
    return static_cast<std::uint8_t>(value);
}

void store(const NumberDef& d, int set, CodePlugImage& image, int value) {
    const std::uint8_t byte = storedByte(d.store, value);
    if (!d.timing) {
        image.setByte(memmap::field(d.member).offset, byte);
        return;
    }
    const std::string prefix(kTimingSets[static_cast<std::size_t>(set)]);
    image.setByte(memmap::field(prefix + std::string(d.member)).offset, byte);
    // The pager's group call window closes with the duration.
    if (d.number == SystemNumber::GroupCallDuration) image.setByte(memmap::field(prefix + "GroupCallMax").offset, byte);
}

}  // namespace

std::optional<std::string> systemNumberRefusal(SystemNumber number, const CodePlugImage& image, int value) {
    std::string message;
    const auto toneSystem = image.byte(memmap::field("ToneSystem").offset);
    if (failedCheck(def(number), toneSystem, value, &message)) return message;
    return std::nullopt;
}

std::optional<int> systemNumberFailedCheck(SystemNumber number, const CodePlugImage& image, int value) {
    return failedCheck(def(number), image.byte(memmap::field("ToneSystem").offset), value, nullptr);
}

void storeSystemNumber(SystemNumber number, CodePlugImage& image, int value) {
    store(def(number), setInUse(image), image, value);
}

std::optional<KeyFilter> systemNumberKeyFilter(SystemNumber number) { return def(number).filter; }

std::optional<SystemNumber> systemNumberOfField(std::string_view fieldName) {
    for (const auto& d : kNumbers) {
        if (!d.timing) {
            if (fieldName == d.member) return d.number;
            continue;
        }
        for (const auto prefix : kTimingSets)
            if (fieldName.starts_with(prefix) && fieldName.substr(prefix.size()) == d.member) return d.number;
    }
    return std::nullopt;
}

namespace {

// The tone system whose checks a field applies: for a timing field its set's
// own, the one in use when it is that set's, else the set's first.
std::uint8_t checkingToneSystem(const NumberDef& d, std::string_view fieldName, const CodePlugImage& image) {
    const std::uint8_t inUse = image.byte(memmap::field("ToneSystem").offset);
    if (!d.timing) return inUse;
    const int set = setOfField(fieldName);
    return setInUse(image) == set ? inUse : toneSystemOfSet(set);
}

}  // namespace

std::optional<std::string> systemNumberRefusal(SystemNumber number, std::string_view fieldName,
                                               const CodePlugImage& image, int value) {
    const NumberDef& d = def(number);
    std::string message;
    if (failedCheck(d, checkingToneSystem(d, fieldName, image), value, &message)) return message;
    return std::nullopt;
}

SystemNumberRange systemNumberRange(SystemNumber number, std::string_view fieldName, const CodePlugImage& image) {
    constexpr int kByteTop = 255;
    const NumberDef& d = def(number);
    const std::uint8_t toneSystem = checkingToneSystem(d, fieldName, image);
    SystemNumberRange range{kByteTop, 0};
    for (int value = 0; value <= kByteTop; ++value) {
        if (failedCheck(d, toneSystem, value, nullptr)) continue;
        range.lowest = std::min(range.lowest, value);
        range.highest = value;
    }
    return range;
}

void storeSystemNumber(SystemNumber number, std::string_view fieldName, CodePlugImage& image, int value) {
    const NumberDef& d = def(number);
    store(d, d.timing ? setOfField(fieldName) : setInUse(image), image, value);
}

}  // namespace km640::sysblock
