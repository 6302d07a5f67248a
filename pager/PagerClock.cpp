#include "pager/PagerClock.h"

#include <cstdio>

namespace km640 {

std::string ClockString(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d0%d%02d%02d%02d", t.year % 100, t.month, t.day, t.dayOfWeek % 7,
                  t.hour, t.minute, t.second);
    return buf;
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::uint8_t piece(std::string_view text, std::size_t at) {
    if (at + 2 > text.size()) return 0;
    const int hi = hexDigit(text[at]);
    const int lo = hexDigit(text[at + 1]);
    if (hi < 0 || lo < 0) return 0;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

std::uint8_t bcd(int value) { return static_cast<std::uint8_t>(((value / 10) % 10) * 16 + value % 10); }
}  // namespace

std::array<std::uint8_t, 16> BuildClockPayload(std::string_view clockText, std::uint8_t clockCommandByte) {
    // Pieces: year 0, month 2, day 4, "0w" 6, hours 8, minutes 10, seconds 12.
    std::array<std::uint8_t, 16> p{};
    p[0] = piece(clockText, 12);
    p[1] = piece(clockText, 10);
    p[2] = piece(clockText, 8);
    p[3] = piece(clockText, 6);
    p[4] = piece(clockText, 4);
    p[5] = piece(clockText, 2);
    p[6] = piece(clockText, 0);
    p[7] = clockCommandByte;
    p[15] = 0x28;
    return p;
}

std::array<std::uint8_t, 7> ClockSettingBytes(const LocalDateTime& t) {
    return {bcd(t.second), bcd(t.minute), bcd(t.hour), bcd(t.dayOfWeek % 7), bcd(t.day), bcd(t.month),
            bcd(t.year % 100)};
}

std::string SyncSuccessText(const LocalDateTime& t, bool twentyFourHour) {
    char buf[96];
    if (twentyFourHour) {
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d  %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    } else {
        const int h12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d  %02d:%02d %s", t.year, t.month, t.day, h12, t.minute,
                      t.hour < 12 ? "am" : "pm");
    }
    return std::string("SYNC SUCCESS ! \n\nDATE && TIME : ") + buf;
}

}  // namespace km640
