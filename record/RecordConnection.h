#pragma once
// One connection to the production record and the statements of every call,
// made on the thread that opened it. ProductionRecord runs it on a thread of
// its own, so that no caller waits for the database without limit.

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
};

// What the run's row is completed with.
struct RunEnd {
    RunState state = RunState::Failed;  // Programmed or Failed
    std::string outcome;
    std::string firmware;
    std::int64_t durationMs = 0;
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
    // Takes over where an earlier connection was (and whether for reading
    // only) without connecting: the next call that writes connects.
    void remember(const RecordLocation& location, bool readOnly) {
        location_ = location;
        readOnly_ = readOnly;
    }
    bool readOnly() const { return readOnly_; }

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
    bool finish(std::int64_t runId, const RunEnd& end);
    std::optional<std::vector<RecordedRun>> abandon(const std::string& serial, const std::string& by,
                                                    const std::string& whenUtc);
    std::optional<std::vector<RecordedRun>> unfinishedRuns(const std::string& serial);

    std::optional<std::vector<RecordedRun>> runs(const RecordFilter& filter);
    std::optional<std::vector<DayOutcomeCount>> summary(const RecordFilter& filter);

    int schemaVersion();
    static int latestSchemaVersion();
    bool openAtSchemaVersion(const RecordLocation& location, int version);

private:
    bool connect(const RecordLocation& location);
    bool connectSqliteReadOnly(QSqlDatabase& db, bool immutable);
    bool checkIntegrity(QSqlDatabase& db);
    bool migrate(int upTo);
    enum class Lock { Schema, Claims };
    bool beginLocked(Lock lock, QSqlError& failure);
    bool commit();
    void rollback();
    bool fail(const std::string& what, const QString& detail);
    bool fail(const std::string& what, const QSqlError& error);
    Claim claimOnce(const RunStart& start, bool allowRepeat);
    bool finishOnce(std::int64_t runId, const RunEnd& end);
    // False when the record cannot be read; earlier is set when there is one.
    bool findEarlier(const std::string& serial, std::optional<EarlierRun>& earlier);
    std::optional<std::int64_t> insertRun(const RunStart& start, RunState state, const std::string& outcome,
                                          std::optional<std::int64_t> repeatOf);
    bool sqlite() const { return location_.kind == RecordLocation::Kind::Sqlite; }
    // Records before version 3 have no abandoned runs (read-only listing).
    bool knowsAbandoned() const { return schemaVersion_ >= 4; }
    std::optional<std::vector<RecordedRun>> selectRuns(const QString& where, const QVariantList& values);

    QString connectionName_;
    RecordLocation location_;
    bool readOnly_ = false;
    int schemaVersion_ = 0;  // the version the record was at when opened
    bool connectionLost_ = false;  // the last failure was a connection the server dropped
    std::atomic<bool> givenUp_{false};
    std::string error_;
};

}  // namespace km640
