#include "record/ProductionRecord.h"

#include <condition_variable>
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
    ~Worker() { end(true); }
    void post(std::function<void()> task) {
        const std::lock_guard lock(queue_->mutex);
        queue_->tasks.push_back(std::move(task));
        queue_->ready.notify_one();
    }
    // wait: for an idle worker, whose last tasks are quick; a worker held by
    // a database that does not answer is let go and ends by itself.
    void end(bool wait) {
        if (!thread_.joinable()) return;
        {
            const std::lock_guard lock(queue_->mutex);
            queue_->ending = true;
            queue_->ready.notify_one();
        }
        if (wait)
            thread_.join();
        else
            thread_.detach();
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

ProductionRecord::ProductionRecord()
    : connection_(std::make_shared<RecordConnection>()), worker_(std::make_unique<Worker>()) {}

ProductionRecord::~ProductionRecord() {
    // The connection is closed and let go on its own thread.
    worker_->post([connection = std::move(connection_)]() mutable { connection.reset(); });
    worker_->end(true);
}

void ProductionRecord::giveUpConnection() {
    connection_->giveUp();
    worker_->post([connection = std::move(connection_)]() mutable { connection.reset(); });
    worker_->end(false);
    connection_ = std::make_shared<RecordConnection>();
    connection_->remember(location_, readOnly_);
    worker_ = std::make_unique<Worker>();
    open_ = false;
}

template <class T>
T ProductionRecord::call(std::function<T(RecordConnection&)> body, T timedOut) {
    struct Slot {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> value;
        std::string error;
        RecordLocation location;
        bool open = false;
    };
    auto slot = std::make_shared<Slot>();
    worker_->post([slot, connection = connection_, body = std::move(body)] {
        T value = body(*connection);
        const std::lock_guard lock(slot->mutex);
        slot->value = std::move(value);
        slot->error = connection->error();
        slot->location = connection->location();
        slot->open = connection->isOpen();
        slot->done.notify_all();
    });
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::seconds(kRecordCallSeconds);
    const auto waited = [&] { return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start); };
    bool hooked = false;
    std::unique_lock lock(slot->mutex);
    while (!slot->value) {
        const auto now = Clock::now();
        if (now >= deadline) {
            lock.unlock();
            if (hooked) hook_(waited(), true);
            giveUpConnection();
            const bool server = location_.kind == RecordLocation::Kind::Postgres;
            error_ = "the production record " + RecordDisplayName(location_) + " cannot be used: " +
                     (server ? "the server" : "the record file") + " did not answer within " +
                     std::to_string(kRecordCallSeconds) + " s";
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

int ProductionRecord::latestSchemaVersion() { return LatestSchemaVersion(); }

bool ProductionRecord::open(const RecordLocation& location) {
    location_ = location;
    readOnly_ = false;
    return call<bool>([location](RecordConnection& c) { return c.open(location); }, false);
}

bool ProductionRecord::openForReading(const RecordLocation& location) {
    location_ = location;
    readOnly_ = true;
    return call<bool>([location](RecordConnection& c) { return c.openForReading(location); }, false);
}

bool ProductionRecord::openAtSchemaVersion(const RecordLocation& location, int version) {
    location_ = location;
    readOnly_ = false;
    return call<bool>([location, version](RecordConnection& c) { return c.openAtSchemaVersion(location, version); },
                      false);
}

void ProductionRecord::close() {
    call<bool>(
        [](RecordConnection& c) {
            c.close();
            return true;
        },
        false);
    open_ = false;
}

Claim ProductionRecord::claim(const RunStart& start, bool allowRepeat) {
    Claim claim = call<Claim>([start, allowRepeat](RecordConnection& c) { return c.claim(start, allowRepeat); },
                              Claim{});
    if (claim.kind == Claim::Kind::Failed && claim.error.empty()) claim.error = error_;
    return claim;
}

bool ProductionRecord::recordRefusal(const RunStart& start, const EarlierRun& earlier) {
    return call<bool>([start, earlier](RecordConnection& c) { return c.recordRefusal(start, earlier); }, false);
}

bool ProductionRecord::recordNotInRoster(const RunStart& start) {
    return call<bool>([start](RecordConnection& c) { return c.recordNotInRoster(start); }, false);
}

std::optional<EarlierRun> ProductionRecord::earlierRun(const std::string& serial) {
    return call<std::optional<EarlierRun>>([serial](RecordConnection& c) { return c.earlierRun(serial); },
                                           std::nullopt);
}

bool ProductionRecord::finish(std::int64_t runId, const RunEnd& end) {
    return call<bool>([runId, end](RecordConnection& c) { return c.finish(runId, end); }, false);
}

std::optional<std::vector<RecordedRun>> ProductionRecord::abandon(const std::string& serial, const std::string& by,
                                                                  const std::string& whenUtc) {
    return call<std::optional<std::vector<RecordedRun>>>(
        [serial, by, whenUtc](RecordConnection& c) { return c.abandon(serial, by, whenUtc); }, std::nullopt);
}

std::optional<std::vector<RecordedRun>> ProductionRecord::unfinishedRuns(const std::string& serial) {
    return call<std::optional<std::vector<RecordedRun>>>(
        [serial](RecordConnection& c) { return c.unfinishedRuns(serial); }, std::nullopt);
}

std::optional<std::vector<RecordedRun>> ProductionRecord::runs(const RecordFilter& filter) {
    return call<std::optional<std::vector<RecordedRun>>>([filter](RecordConnection& c) { return c.runs(filter); },
                                                         std::nullopt);
}

std::optional<std::vector<DayOutcomeCount>> ProductionRecord::summary(const RecordFilter& filter) {
    return call<std::optional<std::vector<DayOutcomeCount>>>(
        [filter](RecordConnection& c) { return c.summary(filter); }, std::nullopt);
}

int ProductionRecord::schemaVersion() {
    return call<int>([](RecordConnection& c) { return c.schemaVersion(); }, 0);
}

}  // namespace km640
