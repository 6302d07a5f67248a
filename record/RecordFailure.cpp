#include "record/RecordFailure.h"

#include <algorithm>
#include <cctype>

namespace km640 {

namespace {

// SQLite: SQLITE_BUSY and SQLITE_LOCKED, also as extended codes
// (SQLITE_BUSY_SNAPSHOT is 517: the low byte is the primary code).
bool sqliteLocked(const std::string& code) {
    if (code.empty() || !std::all_of(code.begin(), code.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const long primary = std::stol(code) & 0xFF;
    return primary == 5 || primary == 6;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

bool RecordConnectionLost(RecordBackend backend, const std::string& nativeCode, const std::string& text) {
    if (backend == RecordBackend::Sqlite) return false;
    // Class 08: connection exception; 57P01..57P03: the server shut down or
    // is starting up.
    if (nativeCode.starts_with("08") || nativeCode == "57P01" || nativeCode == "57P02" || nativeCode == "57P03")
        return true;
    for (const char* said : {"server closed the connection", "no connection to the server", "terminating connection",
                             "could not send data to server", "could not receive data from server",
                             "connection to server was lost", "SSL SYSCALL error: EOF detected"})
        if (contains(text, said)) return true;
    return false;
}

std::string NoAnswerText() { return "the server did not answer within " + std::to_string(kRecordAnswerSeconds) + " s"; }

std::string RecordFailureText(RecordBackend backend, const std::string& nativeCode, const std::string& text) {
    std::string reason;
    if (backend == RecordBackend::Sqlite) {
        if (sqliteLocked(nativeCode)) reason = kRecordLockedText;
    } else if (nativeCode == "55P03") {  // lock_not_available: lock_timeout ran out
        reason = kRecordLockedText;
    } else if (nativeCode == "57014" || contains(text, "timeout expired")) {
        // statement_timeout, or libpq's connect_timeout
        reason = NoAnswerText();
    }
    if (reason.empty()) return text;
    if (text.empty()) return reason;
    return reason + " (" + text + ")";
}

}  // namespace km640
