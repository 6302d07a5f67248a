// What the operator reads when a call to the production record fails: the
// reason in the line's words, then what the database said.

#include <gtest/gtest.h>

#include "record/RecordFailure.h"

using namespace km640;

TEST(RecordConnectionLost, AServerThatWentAwayIsToldFromOtherFailures) {
    const struct {
        RecordBackend backend;
        const char* code;
        const char* text;
        bool lost;
    } cases[] = {
        {RecordBackend::Postgres, "", "server closed the connection unexpectedly\n\tThis probably means the server "
                                      "terminated abnormally", true},
        {RecordBackend::Postgres, "57P01", "terminating connection due to administrator command", true},
        {RecordBackend::Postgres, "08006", "connection failure", true},
        {RecordBackend::Postgres, "", "no connection to the server\n", true},
        {RecordBackend::Postgres, "", "could not receive data from server: Connection reset by peer", true},
        {RecordBackend::Postgres, "55P03", "canceling statement due to lock timeout", false},
        {RecordBackend::Postgres, "42501", "permission denied for table production_run", false},
        {RecordBackend::Postgres, "23505", "duplicate key value violates unique constraint", false},
        {RecordBackend::Sqlite, "5", "database is locked", false},
        {RecordBackend::Sqlite, "", "server closed the connection unexpectedly", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RecordConnectionLost(c.backend, c.code, c.text), c.lost);
    }
}

TEST(RecordFailureText, NamesTheReasonAndKeepsTheDatabasesWords) {
    const struct {
        RecordBackend backend;
        const char* code;
        const char* text;
        const char* expected;
    } cases[] = {
        {RecordBackend::Sqlite, "5", "database is locked Unable to fetch row",
         "the record is locked by another program (database is locked Unable to fetch row)"},
        {RecordBackend::Sqlite, "6", "database table is locked",
         "the record is locked by another program (database table is locked)"},
        {RecordBackend::Sqlite, "517", "database is locked", "the record is locked by another program (database is locked)"},
        {RecordBackend::Sqlite, "11", "database disk image is malformed", "database disk image is malformed"},
        {RecordBackend::Sqlite, "", "unable to open database file", "unable to open database file"},
        {RecordBackend::Postgres, "55P03", "canceling statement due to lock timeout",
         "the record is locked by another program (canceling statement due to lock timeout)"},
        {RecordBackend::Postgres, "57014", "canceling statement due to statement timeout",
         "the server did not answer within 5 s (canceling statement due to statement timeout)"},
        {RecordBackend::Postgres, "", "timeout expired", "the server did not answer within 5 s (timeout expired)"},
        {RecordBackend::Postgres, "42501", "permission denied for table production_run",
         "permission denied for table production_run"},
        // A SQLSTATE is not a SQLite result code.
        {RecordBackend::Postgres, "5", "something", "something"},
        {RecordBackend::Sqlite, "5", "", "the record is locked by another program"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RecordFailureText(c.backend, c.code, c.text), c.expected);
    }
}
