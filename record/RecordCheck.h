#pragma once
// The whole-file check of a SQLite record. It reads every page, so its time
// grows with the record: it never runs where a pager waits. It runs at most
// once a day in the background, and on demand (km640-cli records --check);
// its outcome is kept in the record, and every station refuses to program
// while the last check found damage.

#include <cstdint>
#include <optional>
#include <string>

namespace km640 {

struct RecordCheck {
    std::string checkedUtc;  // "2024-05-02T07:30:12.345Z"
    std::string station;     // who ran it
    bool passed = false;
    std::string damage;      // what it found, when it did not pass
};

// How long a passed check counts: a record checked longer ago than this is
// checked again in the background, and until then a claim looks its serial
// number up in two ways.
inline constexpr std::int64_t kRecordCheckValidMs = 24LL * 60 * 60 * 1000;

// Is a check made at checkedUtc still current at nowUtcMs? A check whose
// time cannot be read, or lies ahead of the clock by more than a day, is not.
bool RecordCheckCurrent(const std::string& checkedUtc, std::int64_t nowUtcMs);

// "it was found damaged on 2024-05-02 07:30 UTC by line-2 (...); nothing is
// programmed with it until it is repaired and checked again (km640-cli
// records --check)"
std::string RecordDamageText(const RecordCheck& check);

// Milliseconds since 1970 of a time as UtcText writes it; nullopt when the
// text is not one.
std::optional<std::int64_t> UtcMsOf(const std::string& utcText);

// The day after a "YYYY-MM-DD" date, in the same form.
std::string NextRecordDate(const std::string& date);

}  // namespace km640
