#include "platform/SystemClock.h"

#include <algorithm>
#include <ctime>

namespace km640 {

LocalDateTime SystemClock::now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    LocalDateTime out;
    out.year = local.tm_year + 1900;
    out.month = local.tm_mon + 1;
    out.day = local.tm_mday;
    out.dayOfWeek = local.tm_wday;  // 0 = Sunday, as the pager counts
    out.hour = local.tm_hour;
    out.minute = local.tm_min;
    out.second = std::min(local.tm_sec, 59);  // a leap second is not a pager time
    return out;
}

}  // namespace km640
