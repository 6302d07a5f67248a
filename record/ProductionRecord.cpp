#include "record/ProductionRecord.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "record/RecordFailure.h"
#include "record/RecordSchema.h"

namespace km640 {

// The thread a connection lives on: Qt SQL wants a connection used on the
// thread that opened it. Calls are run in the order they were posted; when
// the worker is ended, what was posted is run first.
class ProductionRecord::Worker {
public:
    Worker() : queue_(std::make_shared<Queue>()) {
        thread_ = std::thread([queue = queue_] {
            for (;;) {
                std::function<void()> task;
                {
                    std::unique_lock lock(queue->mutex);
                    // Idle until there is work: nothing waits for this thread.
                    queue->ready.wait(lock, [&] { return queue->ending || !queue->tasks.empty(); });
                    if (queue->tasks.empty()) return;
                    task = std::move(queue->tasks.front());
                    queue->tasks.pop_front();
                }
                task();
            }
        });
    }
    ~Worker() { end(); }
    void post(std::function<void()> task) {
        const std::lock_guard lock(queue_->mutex);
        queue_->tasks.push_back(std::move(task));
        queue_->ready.notify_one();
    }
    // Runs what was posted, then ends the thread and waits for it: a call
    // that was given up on has been stopped first, so this is short.
    void end() {
        if (!thread_.joinable()) return;
        {
            const std::lock_guard lock(queue_->mutex);
            queue_->ending = true;
            queue_->ready.notify_one();
        }
        thread_.join();
    }

private:
    struct Queue {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<std::function<void()>> tasks;
        bool ending = false;
    };
    std::shared_ptr<Queue> queue_;
    std::thread thread_;
};

// The background check: its own thread and connection, so that it never
// stands between a scan and its claim.
struct ProductionRecord::Check {
    std::shared_ptr<RecordConnection> connection = std::make_shared<RecordConnection>();
    Worker worker;
    mutable std::mutex mutex;
    std::condition_variable ended;
    bool running = true;
    std::optional<RecordCheck> outcome;

    bool damaged() const {
        const std::lock_guard lock(mutex);
        return outcome && !outcome->passed;
    }
};

namespace {

using Clock = std::chrono::steady_clock;

// How long a call given up on may take to come back once it was stopped
// before its connection is cut.
constexpr auto kStopWait = std::chrono::milliseconds(500);
// How many rows a listing reads ahead of the caller.
constexpr std::size_t kRowsAhead = 256;

}  // namespace

ProductionRecord::ProductionRecord()
    : connection_(std::make_shared<RecordConnection>()), worker_(std::make_unique<Worker>()) {}

ProductionRecord::~ProductionRecord() {
    endCheck();
    // The connection is closed and let go on its own thread.
    worker_->post([connection = std::move(connection_)]() mutable { connection.reset(); });
    worker_->end();
}

std::string ProductionRecord::tookTooLong(const char* what, std::chrono::milliseconds limit) const {
    char shown[32];
    if (limit.count() % 1000 == 0)
        std::snprintf(shown, sizeof shown, "%lld s", static_cast<long long>(limit.count() / 1000));
    else
        std::snprintf(shown, sizeof shown, "%.3g s", static_cast<double>(limit.count()) / 1000.0);
    return "the production record " + RecordDisplayName(location_) + " cannot be used: " + what +
           " took longer than " + shown +
           (location_.kind == RecordLocation::Kind::Postgres ? " (the server did not answer in time)" : "");
}

// The statement under way is stopped; a server that does not take even a
// cancel request has the connection cut. The thread then comes back at
// once and is ended before anything else happens: nothing of the record is
// still running when the program ends.
void ProductionRecord::giveUpConnection(const std::function<bool()>& ended) {
    connection_->giveUp();
    connection_->interrupt(false);
    if (!ended()) connection_->interrupt(true);
    worker_->post([connection = std::move(connection_)]() mutable { connection.reset(); });
    worker_->end();
    connection_ = std::make_shared<RecordConnection>();
    connection_->remember(location_, readOnly_);
    connection_->setStation(station_);
    connection_->setAnswerLimit(limit_);
    worker_ = std::make_unique<Worker>();
    open_ = false;
}

template <class T>
T ProductionRecord::call(const char* what, std::function<T(RecordConnection&)> body, T timedOut) {
    struct Slot {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> value;
        std::string error;
        RecordLocation location;
        bool open = false;
    };
    auto slot = std::make_shared<Slot>();
    const std::shared_ptr<RecordConnection> connection = connection_;
    worker_->post([slot, connection, body = std::move(body)] {
        T value = body(*connection);
        const std::lock_guard lock(slot->mutex);
        slot->value = std::move(value);
        slot->error = connection->error();
        slot->location = connection->location();
        slot->open = connection->isOpen();
        slot->done.notify_all();
    });
    const auto start = Clock::now();
    auto deadline = start + limit_;
    auto limit = limit_;
    const auto waited = [&] { return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start); };
    bool hooked = false;
    std::unique_lock lock(slot->mutex);
    while (!slot->value) {
        const auto now = Clock::now();
        if (connection->upgrading() && limit < std::chrono::seconds(kRecordUpgradeSeconds)) {
            what = "bringing the record up to date";
            limit = std::chrono::seconds(kRecordUpgradeSeconds);
            deadline = start + limit;
        }
        if (now >= deadline) {
            lock.unlock();
            if (hooked) hook_(waited(), true);
            giveUpConnection([&] {
                std::unique_lock wait(slot->mutex);
                return slot->done.wait_for(wait, kStopWait, [&] { return slot->value.has_value(); });
            });
            error_ = tookTooLong(what, limit);
            return timedOut;
        }
        slot->done.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(5)));
        if (!slot->value && hook_) {
            lock.unlock();
            hooked = true;
            hook_(waited(), false);
            lock.lock();
        }
    }
    lock.unlock();
    if (hooked) hook_(waited(), true);
    error_ = slot->error;
    location_ = slot->location;
    open_ = slot->open;
    return std::move(*slot->value);
}

// The rows come from the record's thread through a short queue: the thread
// reads ahead at most kRowsAhead rows, and the limit is on each row's
// arrival, so a listing of any length takes constant memory and a record
// that stops answering in the middle is still noticed.
template <class Row>
bool ProductionRecord::stream(const char* what,
                              std::function<bool(RecordConnection&, const std::function<bool(Row)>&)> produce,
                              const std::function<bool(const Row&)>& sink) {
    struct Channel {
        std::mutex mutex;
        std::condition_variable arrived, space;
        std::deque<Row> rows;
        bool finished = false, ok = false, stop = false;
        std::string error;
        bool open = false;
    };
    auto channel = std::make_shared<Channel>();
    worker_->post([channel, connection = connection_, produce = std::move(produce)] {
        const bool ok = produce(*connection, [&](Row row) {
            std::unique_lock lock(channel->mutex);
            channel->space.wait(lock, [&] { return channel->rows.size() < kRowsAhead || channel->stop; });
            if (channel->stop) return false;
            channel->rows.push_back(std::move(row));
            channel->arrived.notify_all();
            return true;
        });
        const std::lock_guard lock(channel->mutex);
        channel->finished = true;
        channel->ok = ok;
        channel->error = connection->error();
        channel->open = connection->isOpen();
        channel->arrived.notify_all();
    });
    const auto finished = [&] {
        std::unique_lock wait(channel->mutex);
        return channel->arrived.wait_for(wait, kStopWait, [&] { return channel->finished; });
    };
    bool wanted = true;
    for (;;) {
        std::deque<Row> rows;
        bool done = false;
        {
            std::unique_lock lock(channel->mutex);
            const bool arrived = channel->arrived.wait_until(lock, Clock::now() + limit_, [&] {
                return !channel->rows.empty() || channel->finished;
            });
            if (!arrived) {
                channel->stop = true;
                channel->space.notify_all();
                lock.unlock();
                giveUpConnection(finished);
                error_ = tookTooLong(what, limit_);
                return false;
            }
            rows.swap(channel->rows);
            done = channel->finished;
            channel->space.notify_all();
        }
        for (const auto& row : rows) {
            if (!wanted) break;
            if (!sink(row)) {
                wanted = false;
                const std::lock_guard lock(channel->mutex);
                channel->stop = true;
                channel->space.notify_all();
            }
        }
        if (done) break;
    }
    const std::lock_guard lock(channel->mutex);
    error_ = channel->error;
    open_ = channel->open;
    return channel->ok;
}

int ProductionRecord::latestSchemaVersion() { return LatestSchemaVersion(); }

bool ProductionRecord::open(const RecordLocation& location) {
    location_ = location;
    readOnly_ = false;
    const std::string station = station_;
    const auto limit = limit_;
    const bool opened = call<bool>("opening the record", [location, station, limit](RecordConnection& c) {
        c.setStation(station);
        c.setAnswerLimit(limit);
        return c.open(location);
    }, false);
    // Only a record at this program's schema is checked in the background
    // (the check's connection would upgrade an older one).
    checkable_ = opened;
    if (opened) startCheckWhenDue();
    return opened;
}

bool ProductionRecord::openForReading(const RecordLocation& location) {
    checkable_ = false;
    location_ = location;
    readOnly_ = true;
    return call<bool>("opening the record",
                      [location, limit = limit_](RecordConnection& c) {
                          c.setAnswerLimit(limit);
                          return c.openForReading(location);
                      },
                      false);
}

bool ProductionRecord::openAtSchemaVersion(const RecordLocation& location, int version) {
    checkable_ = false;
    location_ = location;
    readOnly_ = false;
    return call<bool>("opening the record",
                      [location, version](RecordConnection& c) { return c.openAtSchemaVersion(location, version); },
                      false);
}

void ProductionRecord::close() {
    endCheck();
    call<bool>("closing the record",
        [](RecordConnection& c) {
            c.close();
            return true;
        },
        false);
    open_ = false;
}

// At most once a day (the record keeps when it was last checked, so of all
// its stations one checks): on a thread and a connection of the check's
// own, so the scans go on meanwhile.
void ProductionRecord::startCheckWhenDue() {
    if (!backgroundCheck_ || !checkable_ || readOnly_ || !open_ || location_.kind != RecordLocation::Kind::Sqlite)
        return;
    const RunTime now = clock_->now();
    if (lastCheckStartMs_ != 0 && now.utcMs - lastCheckStartMs_ < kRecordCheckValidMs) return;
    if (checking()) return;
    endCheck();
    lastCheckStartMs_ = now.utcMs;
    check_ = std::make_shared<Check>();
    check_->worker.post([check = check_.get(), connection = check_->connection, location = location_,
                         station = station_, nowUtc = UtcText(now)] {
        std::optional<RecordCheck> outcome;
        RecordConnection& c = *connection;
        c.setStation(station);
        if (c.openToCheck(location))
            if (const auto started = c.startCheckWhenDue(nowUtc)) outcome = c.checkWholeFile(nowUtc, started);
        c.close();
        const std::lock_guard lock(check->mutex);
        check->outcome = outcome;
        check->running = false;
        check->ended.notify_all();
    });
}

void ProductionRecord::endCheck() {
    if (!check_) return;
    check_->connection->giveUp();
    check_->connection->interrupt(false);
    // The connection is let go on its own thread.
    check_->worker.post([connection = std::move(check_->connection)]() mutable { connection.reset(); });
    check_->worker.end();
    check_.reset();
}

bool ProductionRecord::checking() const {
    if (!check_) return false;
    const std::lock_guard lock(check_->mutex);
    return check_->running;
}

std::optional<RecordCheck> ProductionRecord::waitForCheck(std::chrono::milliseconds limit) {
    if (!check_) return std::nullopt;
    std::unique_lock lock(check_->mutex);
    check_->ended.wait_for(lock, limit, [&] { return !check_->running; });
    return check_->outcome;
}

std::optional<RecordCheck> ProductionRecord::checkNow(const RecordLocation& location,
                                                      const std::function<void()>& progress) {
    location_ = location;
    readOnly_ = false;
    struct Slot {
        std::mutex mutex;
        std::condition_variable done;
        bool ended = false;
        std::optional<RecordCheck> outcome;
        std::string error;
    };
    auto slot = std::make_shared<Slot>();
    const std::string nowUtc = UtcText(clock_->now());
    // The check takes as long as the file needs: it is waited for without
    // the call's limit, and progress shows it going on.
    worker_->post([slot, connection = connection_, location, station = station_, nowUtc, progress] {
        std::optional<RecordCheck> outcome;
        connection->setStation(station);
        if (connection->openToCheck(location)) outcome = connection->checkWholeFile(nowUtc, std::nullopt, progress);
        const std::lock_guard lock(slot->mutex);
        slot->outcome = outcome;
        slot->error = connection->error();
        slot->ended = true;
        slot->done.notify_all();
    });
    std::unique_lock lock(slot->mutex);
    slot->done.wait(lock, [&] { return slot->ended; });
    error_ = slot->error;
    return slot->outcome;
}

Claim ProductionRecord::claim(const RunStart& start, bool allowRepeat) {
    // A background check of this station found damage it could not keep in
    // the record (the file was too damaged to write to).
    if (check_ && check_->damaged()) {
        const std::lock_guard lock(check_->mutex);
        return {Claim::Kind::Failed, 0, std::nullopt,
                "the production record " + RecordDisplayName(location_) + " cannot be used: " +
                    RecordDamageText(*check_->outcome)};
    }
    startCheckWhenDue();
    Claim claim = call<Claim>("the claim of the serial number",
                              [start, allowRepeat](RecordConnection& c) { return c.claim(start, allowRepeat); },
                              Claim{});
    if (claim.kind == Claim::Kind::Failed && claim.error.empty()) claim.error = error_;
    return claim;
}

bool ProductionRecord::recordRefusal(const RunStart& start, const EarlierRun& earlier) {
    return call<bool>("recording the refusal",
                      [start, earlier](RecordConnection& c) { return c.recordRefusal(start, earlier); }, false);
}

bool ProductionRecord::recordNotInRoster(const RunStart& start) {
    return call<bool>("recording the refusal", [start](RecordConnection& c) { return c.recordNotInRoster(start); },
                      false);
}

std::optional<EarlierRun> ProductionRecord::earlierRun(const std::string& serial) {
    return call<std::optional<EarlierRun>>("the look-up of the serial number",
                                           [serial](RecordConnection& c) { return c.earlierRun(serial); },
                                           std::nullopt);
}

Completion ProductionRecord::finish(std::int64_t runId, const RunEnd& end) {
    return call<Completion>("the completion of the run",
                            [runId, end](RecordConnection& c) { return c.finish(runId, end); }, Completion{});
}

std::optional<std::vector<RecordedRun>> ProductionRecord::abandon(const std::string& serial, const std::string& by,
                                                                  const std::string& whenUtc) {
    return call<std::optional<std::vector<RecordedRun>>>(
        "settling the run", [serial, by, whenUtc](RecordConnection& c) { return c.abandon(serial, by, whenUtc); },
        std::nullopt);
}

std::optional<std::vector<RecordedRun>> ProductionRecord::unfinishedRuns(const std::string& serial) {
    return call<std::optional<std::vector<RecordedRun>>>(
        "the look-up of the serial number", [serial](RecordConnection& c) { return c.unfinishedRuns(serial); },
        std::nullopt);
}

std::optional<std::vector<RecordedRun>> ProductionRecord::runsOfSerials(const std::vector<std::string>& serials) {
    return call<std::optional<std::vector<RecordedRun>>>(
        "the look-up of the roster's serial numbers",
        [serials](RecordConnection& c) { return c.runsOfSerials(serials); }, std::nullopt);
}

bool ProductionRecord::eachRun(const RecordFilter& filter, const std::function<bool(const RecordedRun&)>& sink) {
    return stream<RecordedRun>(
        "the listing of the record",
        [filter](RecordConnection& c, const std::function<bool(RecordedRun)>& row) { return c.eachRun(filter, row); },
        sink);
}

bool ProductionRecord::eachDayCount(const RecordFilter& filter,
                                    const std::function<bool(const DayOutcomeCount&)>& sink) {
    return stream<DayOutcomeCount>("the summary of the record",
                                   [filter](RecordConnection& c, const std::function<bool(DayOutcomeCount)>& row) {
                                       return c.eachDayCount(filter, row);
                                   },
                                   sink);
}

std::optional<std::vector<RecordedRun>> ProductionRecord::runs(const RecordFilter& filter) {
    std::vector<RecordedRun> runs;
    if (!eachRun(filter, [&](const RecordedRun& run) {
            runs.push_back(run);
            return true;
        }))
        return std::nullopt;
    return runs;
}

std::optional<std::vector<DayOutcomeCount>> ProductionRecord::summary(const RecordFilter& filter) {
    std::vector<DayOutcomeCount> counts;
    if (!eachDayCount(filter, [&](const DayOutcomeCount& count) {
            counts.push_back(count);
            return true;
        }))
        return std::nullopt;
    return counts;
}

int ProductionRecord::schemaVersion() {
    return call<int>("reading the schema version", [](RecordConnection& c) { return c.schemaVersion(); }, 0);
}

}  // namespace km640
