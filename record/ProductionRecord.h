#pragma once
// The production record: every production run of every station, in one
// database through Qt SQL. A station keeps its own SQLite file (WAL mode, so
// several processes on the PC append at once); stations that share a
// PostgreSQL database share one record, and then one serial number cannot be
// programmed on two of them.
//
// A run is claimed before anything is sent to the board: in one transaction
// the record looks for an earlier successful (or still running) run of the
// serial number and, unless a repeat was allowed, inserts the new run only
// when there is none. Two stations scanning the same label at once are
// serialised by that transaction, so only one of them is let through. The
// run's row is completed when the pager's outcome is known.
//
// Every call is made on a thread of the record's own and waited for at most
// kRecordCallSeconds: a server that stopped answering (frozen, cut off) is
// reported then instead of holding the station. While a call is waited for,
// the wait hook is called every few milliseconds, so that a window keeps
// repainting.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/RecordConnection.h"
#include "record/RecordUrl.h"
#include "record/RecordedRun.h"

namespace km640 {

// How long one call to the record may take as a whole, connecting afresh
// and waiting for a lock included.
inline constexpr int kRecordCallSeconds = 10;

class ProductionRecord {
public:
    ProductionRecord();
    ~ProductionRecord();
    ProductionRecord(const ProductionRecord&) = delete;
    ProductionRecord& operator=(const ProductionRecord&) = delete;

    // Called every few milliseconds while a call is waited for, with the
    // time waited so far; and once more with done set when a call that
    // called it has ended.
    using WaitHook = std::function<void(std::chrono::milliseconds waited, bool done)>;
    void setWaitHook(WaitHook hook) { hook_ = std::move(hook); }

    // Connects, and creates or upgrades the schema. False with error() set
    // when the record cannot be used; nothing may be programmed then.
    bool open(const RecordLocation& location);
    // For looking only: a SQLite record is opened read-only, as it is (no
    // switch to WAL, no schema upgrade), so it can be read from a read-only
    // folder or by a user who may only read the file. Nothing can be
    // claimed or finished through it.
    bool openForReading(const RecordLocation& location);
    bool isOpen() const { return open_; }
    void close();
    const std::string& error() const { return error_; }
    const RecordLocation& location() const { return location_; }

    // The check and the insert in one transaction. With allowRepeat the run
    // is let through and marked as a repeat of the earlier one; without it a
    // serial number with an earlier successful or unfinished run is refused,
    // and the refusal itself is recorded.
    Claim claim(const RunStart& start, bool allowRepeat);
    // Records a run that was refused before it was claimed (the operator
    // answered No to the window's question).
    bool recordRefusal(const RunStart& start, const EarlierRun& earlier);
    // Records a label the fleet's roster does not list; nothing was sent to
    // the board.
    bool recordNotInRoster(const RunStart& start);
    // The latest successful or unfinished run of a serial number.
    std::optional<EarlierRun> earlierRun(const std::string& serial);
    bool finish(std::int64_t runId, const RunEnd& end);
    // Settles the unfinished runs of a serial number whose station died: they
    // are closed as abandoned, with who settled them (user@host or a
    // station) and when. Nothing when the serial number has no unfinished
    // run; nullopt with error() set when the record cannot be written.
    std::optional<std::vector<RecordedRun>> abandon(const std::string& serial, const std::string& by,
                                                    const std::string& whenUtc);
    // The unfinished runs of a serial number, oldest first.
    std::optional<std::vector<RecordedRun>> unfinishedRuns(const std::string& serial);

    std::optional<std::vector<RecordedRun>> runs(const RecordFilter& filter);
    std::optional<std::vector<DayOutcomeCount>> summary(const RecordFilter& filter);

    // The schema version the record is at, and the latest this program knows.
    int schemaVersion();
    static int latestSchemaVersion();
    // For tests of upgrades: a record at an older schema, as an older
    // program left it.
    bool openAtSchemaVersion(const RecordLocation& location, int version);

private:
    class Worker;
    template <class T>
    T call(std::function<T(RecordConnection&)> body, T timedOut);
    // A call that was given up on keeps its thread and its connection until
    // the database answers; the next call gets fresh ones.
    void giveUpConnection();

    std::shared_ptr<RecordConnection> connection_;
    std::unique_ptr<Worker> worker_;
    RecordLocation location_;
    std::string error_;
    bool open_ = false;
    bool readOnly_ = false;
    WaitHook hook_;
};

}  // namespace km640
