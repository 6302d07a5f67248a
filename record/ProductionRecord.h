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
// kRecordCallSeconds (a listing: that long for each row): a server that
// stopped answering (frozen, cut off) is reported then instead of holding
// the station. A call given up on is stopped (SQLite interrupted, the
// PostgreSQL server sent a cancel request, a frozen server's connection
// cut) and its thread ended before the next call. While a call is waited
// for, the wait hook is called every few milliseconds, so that a window
// keeps repainting.
//
// The whole-file check of a SQLite record (RecordCheck.h) runs in the
// background, on a thread and a connection of its own, at most once a day.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/RecordConnection.h"
#include "record/RunTime.h"
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
    // How long a call (a listing: each row) may take; kRecordCallSeconds
    // unless a station is told otherwise (KM640_RECORD_LIMIT).
    void setCallLimit(std::chrono::milliseconds limit) { limit_ = limit; }
    // The station this program is: the name a PostgreSQL session and a
    // whole-file check are shown with. Before open.
    void setStation(const std::string& station) { station_ = station; }
    // Where the times of whole-file checks come from; the machine's clock
    // unless set. Before open.
    void setClock(RecordClock& clock) { clock_ = &clock; }
    // Whether a check that is due starts in the background at open and
    // with a claim (on by default).
    void setBackgroundCheck(bool on) { backgroundCheck_ = on; }

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
    // Completes a run that is still running. A run settled as abandoned
    // meanwhile is left as it was settled: Completion::abandoned says by
    // whom and when.
    Completion finish(std::int64_t runId, const RunEnd& end);
    // Settles the unfinished runs of a serial number whose station died: they
    // are closed as abandoned, with who settled them (user@host or a
    // station) and when. Nothing when the serial number has no unfinished
    // run; nullopt with error() set when the record cannot be written.
    std::optional<std::vector<RecordedRun>> abandon(const std::string& serial, const std::string& by,
                                                    const std::string& whenUtc);
    // The unfinished runs of a serial number, oldest first.
    std::optional<std::vector<RecordedRun>> unfinishedRuns(const std::string& serial);

    // The listings: each row is handed to the sink as it arrives (false
    // from the sink stops), in constant memory whatever the record's size.
    // False with error() set when the record could not be read, or a row
    // did not come within the limit.
    bool eachRun(const RecordFilter& filter, const std::function<bool(const RecordedRun&)>& sink);
    bool eachDayCount(const RecordFilter& filter, const std::function<bool(const DayOutcomeCount&)>& sink);
    // The same, gathered (for small listings).
    std::optional<std::vector<RecordedRun>> runs(const RecordFilter& filter);
    std::optional<std::vector<DayOutcomeCount>> summary(const RecordFilter& filter);
    // Every run of these serial numbers, oldest first: a roster's progress,
    // whose cost follows the roster, not the record.
    std::optional<std::vector<RecordedRun>> runsOfSerials(const std::vector<std::string>& serials);

    // Checks a SQLite record's whole file now (its last check may have
    // found damage) and keeps the outcome in it; progress is called every
    // so often while it runs. nullopt with error() set when it could not
    // be checked.
    std::optional<RecordCheck> checkNow(const RecordLocation& location, const std::function<void()>& progress = {});
    // The background check: whether one is under way, and waiting for it
    // (at most limit) to end; its outcome, when it ended.
    bool checking() const;
    std::optional<RecordCheck> waitForCheck(std::chrono::milliseconds limit);

    // The schema version the record is at, and the latest this program knows.
    int schemaVersion();
    static int latestSchemaVersion();
    // For tests of upgrades: a record at an older schema, as an older
    // program left it.
    bool openAtSchemaVersion(const RecordLocation& location, int version);

private:
    class Worker;
    struct Check;
    template <class T>
    T call(const char* what, std::function<T(RecordConnection&)> body, T timedOut);
    template <class Row>
    bool stream(const char* what, std::function<bool(RecordConnection&, const std::function<bool(Row)>&)> produce,
                const std::function<bool(const Row&)>& sink);
    // A call that was given up on is stopped, and its thread ended; the
    // next call gets a fresh thread and connection.
    void giveUpConnection(const std::function<bool()>& ended);
    std::string tookTooLong(const char* what, std::chrono::milliseconds limit) const;
    void startCheckWhenDue();
    void endCheck();

    std::shared_ptr<RecordConnection> connection_;
    std::unique_ptr<Worker> worker_;
    RecordLocation location_;
    std::string error_;
    bool open_ = false;
    bool readOnly_ = false;
    WaitHook hook_;
    std::chrono::milliseconds limit_{std::chrono::seconds(kRecordCallSeconds)};
    std::string station_;
    SystemRecordClock machineClock_;
    RecordClock* clock_ = &machineClock_;
    bool backgroundCheck_ = true;
    bool checkable_ = false;
    std::shared_ptr<Check> check_;
    std::int64_t lastCheckStartMs_ = 0;
};

}  // namespace km640
