#pragma once
// Why a call to the production record failed, as the operator reads it: a
// record held by another station's write or a server that stopped answering
// is named as such, followed by what the database itself said about the
// statement that failed.

#include <string>

namespace km640 {

// How long the record may keep a station waiting. A write of another
// station holds the record for a few milliseconds; one that holds it for
// seconds is a program gone wrong, and the operator must hear of it.
inline constexpr int kRecordLockWaitMs = 3000;  // SQLite busy time, PostgreSQL lock_timeout
inline constexpr int kRecordStatementMs = 4000;  // PostgreSQL statement_timeout
// How long the one-time upgrade of an older record may take: it builds
// indexes and counts over every run, seconds for a record of years, and a
// station given up on it would try again, and fail, at every start.
inline constexpr int kRecordUpgradeSeconds = 600;
inline constexpr int kRecordAnswerSeconds = 5;   // connecting, and any one call as a whole

enum class RecordBackend { Sqlite, Postgres };

// nativeCode: SQLite's result code, or PostgreSQL's SQLSTATE; text: the
// database's own message for the statement. "the record is locked by
// another program (database is locked)", "the server did not answer within
// 5 s (canceling statement due to statement timeout)", or the message alone.
std::string RecordFailureText(RecordBackend backend, const std::string& nativeCode, const std::string& text);

// Did the statement fail because the connection is gone (the server was
// restarted, a fail-over, a dropped network)? Then a fresh connection may
// well succeed.
bool RecordConnectionLost(RecordBackend backend, const std::string& nativeCode, const std::string& text);

// "the server did not answer within 5 s"
std::string NoAnswerText();
inline constexpr const char* kRecordLockedText = "the record is locked by another program";

}  // namespace km640
