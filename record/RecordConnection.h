#pragma once
// One connection to the production record and the statements of every call,
// made on the thread that opened it. ProductionRecord runs it on a thread of
// its own, so that no caller waits for the database without limit.

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "record/RecordCheck.h"
#include "record/RecordUrl.h"
#include "record/RecordedRun.h"

namespace km640 {

// (What the production record is and how a run is claimed: ProductionRecord.h.)

// What a claim records about the run before the pager is touched.
struct RunStart {
    std::string startedUtc;
    std::string startedLocal;
    std::string station;
    std::string port;
    std::string serial;
    std::string programVersion;
    std::string codePlugSha256;
    std::string codePlugFile;
    RosterRun roster;  // a fleet's pager: its roster, row and own code-plug
    // Random, the same for every attempt of one claim: a claim made again
    // after its COMMIT was sent but not acknowledged finds its own run.
    std::string claimToken;
};

// What the run's row is completed with.
struct RunEnd {
    RunState state = RunState::Failed;  // Programmed or Failed
    std::string outcome;
    std::string firmware;
    std::int64_t durationMs = 0;
};

// What a completion found: Done, or the run had been settled as abandoned
// meanwhile (by whom and when: its row stays as it was settled).
struct Completion {
    bool done = false;
    std::optional<RecordedRun> abandoned;
    explicit operator bool() const { return done; }
};

struct Claim {
    enum class Kind { Granted, Refused, Failed };
    Kind kind = Kind::Failed;
    std::int64_t runId = 0;       // Granted: the new run; Refused: the recorded refusal
    std::optional<EarlierRun> earlier;  // Refused always; Granted when it is a repeat
    std::string error;            // Failed
};

class RecordConnection {
public:
    RecordConnection();
    ~RecordConnection();
    RecordConnection(const RecordConnection&) = delete;
    RecordConnection& operator=(const RecordConnection&) = delete;

    // The caller stopped waiting for this connection's call (another thread
    // may say so at any time): a claim still in progress is taken back
    // instead of committed.
    void giveUp() { givenUp_ = true; }
    // Stops the statement under way from another thread (the caller that
    // gave up): SQLite is interrupted, a PostgreSQL server is sent a cancel
    // request. sever: a server that does not take even that (frozen) has its
    // connection cut, so the connection's thread comes back at once.
    void interrupt(bool sever);
    // Takes over where an earlier connection was (and whether for reading
    // only) without connecting: the next call that writes connects.
    void remember(const RecordLocation& location, bool readOnly) {
        location_ = location;
        readOnly_ = readOnly;
    }
    bool readOnly() const { return readOnly_; }
    // The station the connection works for: a PostgreSQL server shows it as
    // the session's application_name (so a lock names who holds it), and a
    // whole-file check is kept under its name.
    void setStation(const std::string& station) { station_ = station; }
    // How long the caller waits for a call: connecting to a server gives up
    // no later (a connection under way cannot be stopped from outside).
    void setAnswerLimit(std::chrono::milliseconds limit) { answerLimit_ = limit; }
    // True while an older record's schema is being brought up to date (read
    // from the caller's thread): that happens once per record and may read
    // every run, so the caller allows it kRecordUpgradeSeconds.
    bool upgrading() const { return upgrading_; }

    // Connects, and creates or upgrades the schema. False with error() set
    // when the record cannot be used; nothing may be programmed then.
    bool open(const RecordLocation& location);
    // For looking only: a SQLite record is opened read-only, as it is (no
    // switch to WAL, no schema upgrade), so it can be read from a read-only
    // folder or by a user who may only read the file. Nothing can be
    // claimed or finished through it.
    bool openForReading(const RecordLocation& location);
    bool isOpen() const;
    void close();
    const std::string& error() const { return error_; }
    const RecordLocation& location() const { return location_; }

    // The record's calls, each as ProductionRecord describes it, made on
    // this connection's thread.
    Claim claim(const RunStart& start, bool allowRepeat);
    bool recordRefusal(const RunStart& start, const EarlierRun& earlier);
    bool recordNotInRoster(const RunStart& start);
    std::optional<EarlierRun> earlierRun(const std::string& serial);
    Completion finish(std::int64_t runId, const RunEnd& end);
    std::optional<std::vector<RecordedRun>> abandon(const std::string& serial, const std::string& by,
                                                    const std::string& whenUtc);
    std::optional<std::vector<RecordedRun>> unfinishedRuns(const std::string& serial);

    // The listings hand each row on as it is read (false from the sink
    // stops); false with error() set when the record cannot be read.
    bool eachRun(const RecordFilter& filter, const std::function<bool(RecordedRun)>& sink);
    bool eachDayCount(const RecordFilter& filter, const std::function<bool(DayOutcomeCount)>& sink);
    // Every run of these serial numbers, oldest first, looked up through the
    // serial index in batches: the cost follows the serial numbers, not the
    // record.
    std::optional<std::vector<RecordedRun>> runsOfSerials(const std::vector<std::string>& serials);

    // Opens a SQLite record to check it, even when its last check found
    // damage (a check that passes lets it be used again).
    bool openToCheck(const RecordLocation& location);
    // The outcome of the last finished whole-file check; none when there
    // was none (or the record is not a SQLite file). False when it cannot
    // be read.
    bool lastCheck(std::optional<RecordCheck>& check);
    // Is a background check due at nowUtc, and no other station's under
    // way? Then it is marked as started by this station (one transaction,
    // so of several stations opening at once one checks), and its mark is
    // returned. nullopt: none due, or it cannot be marked.
    std::optional<std::int64_t> startCheckWhenDue(const std::string& nowUtc);
    // Checks the whole SQLite file now and keeps the outcome in the record
    // (in the started check's row when there is one). nullopt with error()
    // set when the check could not be made (interrupted, the file cannot be
    // read); a check whose outcome cannot be kept is still returned, with
    // error() set.
    std::optional<RecordCheck> checkWholeFile(const std::string& nowUtc, std::optional<std::int64_t> started,
                                              const std::function<void()>& progress = {});

    int schemaVersion();
    static int latestSchemaVersion();
    bool openAtSchemaVersion(const RecordLocation& location, int version);

private:
    bool connect(const RecordLocation& location);
    bool connectSqliteReadOnly(QSqlDatabase& db, bool immutable);
    bool openChecked(const RecordLocation& location, int version, bool refuseDamaged);
    bool keepCheck(const RecordCheck& check, std::optional<std::int64_t> started);
    // Before a day's check has passed: the serial number's runs as the
    // second index finds them must be those the first finds. False (with
    // the damage kept in the record and error() set) when they differ.
    std::optional<bool> serialIndexesAgree(const std::string& serial);
    // False (error() set) when the last check found damage; checkedToday
    // tells whether a check passed within the last day.
    bool refuseWhenDamaged(const std::string& nowUtc, bool& checkedToday);
    void rememberHandle();
    bool streamRows(const QString& statement, const QVariantList& values, const std::function<bool(const QSqlQuery&)>& row);
    bool migrate(int upTo);
    enum class Lock { Schema, Serial };
    // Serial: only this serial number's claims wait (PostgreSQL); SQLite
    // has one writer at a time anyway.
    bool beginLocked(Lock lock, QSqlError& failure, const std::string& serial = {});
    // PostgreSQL: who holds the serial number's lock, as "station line-3".
    std::string serialLockHolder(const std::string& serial);
    bool commit();
    void rollback();
    bool fail(const std::string& what, const QString& detail);
    bool fail(const std::string& what, const QSqlError& error);
    Claim claimOnce(const RunStart& start, bool allowRepeat);
    std::optional<Completion> finishOnce(std::int64_t runId, const RunEnd& end);
    std::optional<std::int64_t> ownRun(const RunStart& start);
    // False when the record cannot be read; earlier is set when there is one.
    bool findEarlier(const std::string& serial, std::optional<EarlierRun>& earlier);
    std::optional<std::int64_t> insertRun(const RunStart& start, RunState state, const std::string& outcome,
                                          std::optional<std::int64_t> repeatOf);
    bool sqlite() const { return location_.kind == RecordLocation::Kind::Sqlite; }
    // Records before version 3 have no abandoned runs (read-only listing).
    bool knowsAbandoned() const { return schemaVersion_ >= 4; }
    bool countsDays() const { return schemaVersion_ >= 6; }
    std::optional<std::vector<RecordedRun>> selectRuns(const QString& where, const QVariantList& values,
                                                       bool oldestFirst = true);
    bool checks() const { return sqlite() && schemaVersion_ >= 5; }

    QString connectionName_;
    RecordLocation location_;
    bool readOnly_ = false;
    std::string station_;
    std::chrono::milliseconds answerLimit_{std::chrono::seconds(5)};
    int schemaVersion_ = 0;  // the version the record was at when opened
    bool connectionLost_ = false;  // the last failure was a connection the server dropped
    std::atomic<bool> givenUp_{false};
    std::atomic<bool> upgrading_{false};
    std::string error_;
    // The driver's handle, for interrupt() from another thread: set while
    // the connection is open, cleared (under the mutex) before it closes.
    std::mutex handleMutex_;
    void* sqliteHandle_ = nullptr;
    // Called every so often while a SQLite statement runs (the whole-file
    // check's progress); a connection given up on stops there.
    std::function<void()> progress_;
    static int sqliteProgress(void* connection);
    void* postgresCancel_ = nullptr;  // PGcancel*
    int postgresSocket_ = -1;
};

}  // namespace km640
