#pragma once
// The number fields of the system settings block and the rule each applies
// when the user commits a whole number: the checks in order, each with the
// message the window shows when it fails, and where the value is stored. The
// decoder timing fields store into the timing set of the tone system in use;
// the shortest decoding time depends on it too.

#include <optional>
#include <string>
#include <string_view>

#include "codeplug/CodePlugImage.h"
#include "codeplug/KeyFilters.h"

namespace km640::sysblock {

enum class SystemNumber {
    RemindRepetitionTime,
    BacklightAutoOff,
    CarrierOffDelay,
    MsgReadStatus,
    Tone1Duration,
    Tone2Duration,
    GroupCallDuration,
    GapMax,
    F1ScanTime,
    F2ScanTime,
    PowerSaveTime,
    DecodingTime,
};

// The message of the first check the value fails (in the field's order), or
// nothing when it can be stored.
std::optional<std::string> systemNumberRefusal(SystemNumber number, const CodePlugImage& image, int value);
// Which of the field's checks failed (0 the first), for the window to pick its
// box style; nothing when it can be stored.
std::optional<int> systemNumberFailedCheck(SystemNumber number, const CodePlugImage& image, int value);
// Stores an accepted value: the byte as the field keeps it (doubled, coded),
// into the timing set in use for the decoder timing fields.
void storeSystemNumber(SystemNumber number, CodePlugImage& image, int value);
// The key filter of the field; nothing for a field that takes every key.
std::optional<KeyFilter> systemNumberKeyFilter(SystemNumber number);

// The number field showing a memory-map field ("RemindRepetitionTime",
// "StdTiming.Tone1Duration", "PlectronTiming.DecodingTime"): a timing field of
// the set the tone system does not use is reached by its name as well, and
// then stores into that set.
std::optional<SystemNumber> systemNumberOfField(std::string_view fieldName);
// With a field name: stores into that field's timing set whatever the tone
// system in use; the checks are those of that set's tone systems.
std::optional<std::string> systemNumberRefusal(SystemNumber number, std::string_view fieldName,
                                               const CodePlugImage& image, int value);
void storeSystemNumber(SystemNumber number, std::string_view fieldName, CodePlugImage& image, int value);

// The lowest and the highest value the field's checks accept now (the
// decoding time's lowest follows the tone system). A field kept in one byte
// takes nothing above 255, so the checks are asked for 0 to 255; a rule with
// a gap ("0, or 5 to 255") gives its outer bounds.
struct SystemNumberRange {
    int lowest;
    int highest;
};
SystemNumberRange systemNumberRange(SystemNumber number, std::string_view fieldName, const CodePlugImage& image);

}  // namespace km640::sysblock
