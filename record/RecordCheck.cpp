#include "record/RecordCheck.h"

#include <chrono>
#include <cstdio>

namespace km640 {

using namespace std::chrono;

std::optional<std::int64_t> UtcMsOf(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, ms = 0;
    char zone = 0;
    if (text.size() != 24 || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &y, &mo, &d, &h, &mi, &sec,
                                         &ms, &zone) != 8 || zone != 'Z')
        return std::nullopt;
    const year_month_day date{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (!date.ok() || h > 23 || mi > 59 || sec > 59) return std::nullopt;
    const auto at = sys_days{date} + hours{h} + minutes{mi} + seconds{sec} + milliseconds{ms};
    return duration_cast<milliseconds>(at.time_since_epoch()).count();
}

bool RecordCheckCurrent(const std::string& checkedUtc, std::int64_t nowUtcMs) {
    const auto at = UtcMsOf(checkedUtc);
    if (!at) return false;
    const std::int64_t age = nowUtcMs - *at;
    return age < kRecordCheckValidMs && age > -kRecordCheckValidMs;
}

std::string RecordDamageText(const RecordCheck& check) {
    std::string when = check.checkedUtc.substr(0, 16);
    if (when.size() > 10 && when[10] == 'T') when[10] = ' ';
    return "it was found damaged on " + when + " UTC by " + check.station + " (" + check.damage +
           "); nothing is programmed with it until it is repaired and checked again (km640-cli records --check)";
}

std::string NextRecordDate(const std::string& date) {
    int y = 0, m = 0, d = 0;
    if (std::sscanf(date.c_str(), "%4d-%2d-%2d", &y, &m, &d) != 3) return date;
    const year_month_day next{sys_days{year_month_day{year{y}, month{static_cast<unsigned>(m)},
                                                      day{static_cast<unsigned>(d)}}} +
                              days{1}};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(next.year()),
                  static_cast<unsigned>(next.month()), static_cast<unsigned>(next.day()));
    return buf;
}

}  // namespace km640
