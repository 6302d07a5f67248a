#pragma once
// The pager's real-time clock as the program sets it: the clock string
// YYMMDD0wHHNNSS, the 16-byte clock command payload, the seven clock bytes
// stored into the code-plug, and the texts of the SYNC TIME dialog.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Services.h"

namespace km640 {

// 14 digits: two-digit year, month, day, "0", day of week (Sunday 0), hours
// 00-23, minutes, seconds.
std::string ClockString(const LocalDateTime& t);

// Cuts a clock string into its seven two-digit pieces and reads each as a
// hexadecimal number, which turns the decimal digits into BCD. The payload:
// seconds, minutes, hours, day of week, day, month, year, the code-plug's
// clock command byte, seven zeros, 0x28. A piece that is not two hex digits
// (the text is always our own clock string, so this cannot happen in use)
// counts as 0.
std::array<std::uint8_t, 16> BuildClockPayload(std::string_view clockText, std::uint8_t clockCommandByte);

// The seven BCD clock bytes stored at code-plug offsets 160..166 before a
// write: seconds, minutes, hours, day of week, day, month, year.
constexpr int kClockSettingOffset = 160;
std::array<std::uint8_t, 7> ClockSettingBytes(const LocalDateTime& t);

// "SYNC SUCCESS ! \n\nDATE && TIME : " and the time, 12-hour with am/pm or
// 24-hour, as the SYNC TIME dialog shows it.
std::string SyncSuccessText(const LocalDateTime& t, bool twentyFourHour);

}  // namespace km640
