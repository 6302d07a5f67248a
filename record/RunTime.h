#pragma once
// The moment a production run starts, kept both in UTC (so that runs of
// stations in several time zones sort together) and in the station's local
// time (the time the operator and the day's log see).

#include <cstdint>
#include <string>

namespace km640 {

struct RunTime {
    std::int64_t utcMs = 0;  // milliseconds since 1970-01-01 00:00 UTC
    int utcOffsetSeconds = 0;  // local time minus UTC
};

std::string UtcText(const RunTime& t);    // "2024-05-02T07:30:12.345Z"
std::string LocalText(const RunTime& t);  // "2024-05-02T09:30:12+02:00"
// A local time as the operator reads it: "2024-05-02 09:30:12+02:00".
std::string ShownLocalText(std::string localText);

// A date as the records command takes it: "YYYY-MM-DD" naming a real day.
bool IsRecordDate(const std::string& text);

// Where the record takes its times from. The program wires the machine's
// clocks; tests fix them.
class RecordClock {
public:
    virtual ~RecordClock() = default;
    virtual RunTime now() = 0;
    // A steady millisecond count for the run's duration.
    virtual std::int64_t steadyMs() = 0;
};

class SystemRecordClock : public RecordClock {
public:
    RunTime now() override;
    std::int64_t steadyMs() override;
};

}  // namespace km640
