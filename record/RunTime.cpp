#include "record/RunTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace km640 {

namespace {

using namespace std::chrono;

// Calendar date and time of day of a count of milliseconds since 1970.
struct Broken {
    int year, month, day, hour, minute, second, ms;
};

Broken broken(std::int64_t ms) {
    const sys_time<milliseconds> t{milliseconds(ms)};
    const auto dayStart = floor<days>(t);
    const year_month_day date{dayStart};
    const hh_mm_ss<milliseconds> time{t - dayStart};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
            static_cast<int>(time.subseconds().count())};
}

}  // namespace

std::string UtcText(const RunTime& t) {
    const Broken b = broken(t.utcMs);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", b.year, b.month, b.day, b.hour, b.minute,
                  b.second, b.ms);
    return buf;
}

std::string LocalText(const RunTime& t) {
    const Broken b = broken(t.utcMs + std::int64_t{t.utcOffsetSeconds} * 1000);
    const int offset = t.utcOffsetSeconds < 0 ? -t.utcOffsetSeconds : t.utcOffsetSeconds;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", b.year, b.month, b.day, b.hour,
                  b.minute, b.second, t.utcOffsetSeconds < 0 ? '-' : '+', offset / 3600, offset / 60 % 60);
    return buf;
}

std::string ShownLocalText(std::string localText) {
    if (localText.size() > 10 && localText[10] == 'T') localText[10] = ' ';
    return localText;
}

bool IsRecordDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    int fields[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < lengths[f]; ++i) {
            const char c = text[static_cast<std::size_t>(starts[f] + i)];
            if (c < '0' || c > '9') return false;
            fields[f] = fields[f] * 10 + (c - '0');
        }
    return year_month_day{year{fields[0]}, month{static_cast<unsigned>(fields[1])},
                          day{static_cast<unsigned>(fields[2])}}
        .ok();
}

RunTime SystemRecordClock::now() {
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {duration_cast<milliseconds>(now.time_since_epoch()).count(), static_cast<int>(local.tm_gmtoff)};
}

std::int64_t SystemRecordClock::steadyMs() {
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace km640
