#pragma once
// A production record filled with many runs at once, as a line of 8 stations
// leaves it (about 4,000 runs a day, realistic serial numbers), for tests
// and benchmarks of large records. The record is created by the program
// itself (ProductionRecord::open), then filled in one transaction.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cstdint>
#include <cstdio>
#include <string>

#include "record/ProductionRecord.h"
#include "record/RecordUrl.h"

namespace km640::testing {

inline constexpr std::int64_t kGeneratedRunsPerDay = 4000;

// A run's start as a station claims it: one pager from the line's code-plug
// on the first USB port; the times and the station as given.
inline RunStart sampleRunStart(const std::string& serial, const std::string& startedUtc = "2024-05-02T07:30:12.000Z",
                               const std::string& startedLocal = "2024-05-02T09:30:12+02:00",
                               const std::string& station = "line-1") {
    RunStart s;
    s.startedUtc = startedUtc;
    s.startedLocal = startedLocal;
    s.station = station;
    s.port = "/dev/ttyUSB0";
    s.serial = serial;
    s.programVersion = "1.1.9";
    s.codePlugSha256 = std::string(64, '0');
    s.codePlugFile = "line.tbl";
    return s;
}

// The serial number of the n-th generated run: 12 hexadecimal digits.
inline std::string generatedSerial(std::int64_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%012llX", static_cast<unsigned long long>(n * 2654435761ULL % 0xFFFFFFFFFFFULL));
    return text;
}

// The local day of the n-th generated run: 2024-01-01 onwards.
inline std::string generatedDay(std::int64_t n) {
    const std::int64_t day = n / kGeneratedRunsPerDay;
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(2024 + day / 336),
                  static_cast<long long>(day / 28 % 12 + 1), static_cast<long long>(day % 28 + 1));
    return text;
}

// Adds runs first..first+count-1 to the record; an error text, or "".
inline std::string fillRecord(const RecordLocation& location, std::int64_t first, std::int64_t count) {
    {
        ProductionRecord record;
        record.setBackgroundCheck(false);
        if (!record.open(location)) return record.error();
    }
    const QString name = "km640-fill";
    std::string error;
    {
        const bool sqlite = location.kind == RecordLocation::Kind::Sqlite;
        QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? "QSQLITE" : "QPSQL", name);
        db.setDatabaseName(QString::fromStdString(sqlite ? location.sqliteFile : location.database));
        db.setHostName(QString::fromStdString(location.host));
        db.setUserName(QString::fromStdString(location.user));
        if (!db.open()) return db.lastError().text().toStdString();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO production_run (started_utc, started_local, station, port, serial, firmware, outcome,"
                       " state, program_version, codeplug_sha256, codeplug_file, duration_ms)"
                       " VALUES (?, ?, ?, '/dev/ttyUSB0', ?, '1.2.10', ?, ?, '1.1.9', ?, 'line.tbl', 41000)");
        const QString sha(64, QChar('7'));
        for (std::int64_t n = first; n < first + count && error.empty(); ++n) {
            const QString day = QString::fromStdString(generatedDay(n));
            const std::int64_t second = n % kGeneratedRunsPerDay * 7;
            const QString time = QString("T%1:%2:%3").arg(6 + second / 3600, 2, 10, QChar('0'))
                                     .arg(second / 60 % 60, 2, 10, QChar('0')).arg(second % 60, 2, 10, QChar('0'));
            const bool failed = n % 50 == 49;
            insert.addBindValue(day + time + ".000Z");
            insert.addBindValue(day + time + "+00:00");
            insert.addBindValue(QString("line-%1").arg(n % 8 + 1));
            insert.addBindValue(QString::fromStdString(generatedSerial(n)));
            insert.addBindValue(failed ? "Verify Fail !" : "Write Success !");
            insert.addBindValue(failed ? "failed" : "programmed");
            insert.addBindValue(sha);
            if (!insert.exec()) error = insert.lastError().text().toStdString();
        }
        if (error.empty() && !db.commit()) error = db.lastError().text().toStdString();
        // A record that grew over months has been vacuumed and analysed by
        // the server's autovacuum as it went; one filled in a single
        // transaction has not, yet, and its table of day counts holds a row
        // version for every run that went in.
        QSqlQuery tidy(db);
        for (const char* statement : {"VACUUM FULL run_day_count", "VACUUM ANALYZE"})
            if (error.empty() && !sqlite && !tidy.exec(statement)) error = tidy.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

}  // namespace km640::testing
