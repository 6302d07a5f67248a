// The production record as it grows: records of 10 k, 300 k, 1 M and 3 M
// runs built in the record's own schema, and what a station and the quality
// department wait for in each, in a SQLite file and, when a server can be
// started here (as the tests start one: initdb and pg_ctl, a Unix socket
// only), in PostgreSQL.
//
//   record_scale [RUNS...] [--postgres RUNS...]
//       (default: 10000 300000 for SQLite; PostgreSQL only when asked)
//
// For each size: the first open, the record's time per pager (claim and
// completion, the background check running) and how much more that is than
// at the first size, 8 stations opening the record at once (how many were
// accepted, and the slowest), one serial number's runs, one day's CSV, the
// summary, a 1,000-row roster's status and the memory it took, and the whole
// record as CSV and the memory it took. The memory is the process's peak
// during that call (the peak is reset before it).

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <latch>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "record/ProductionRecord.h"
#include "record/RecordListing.h"
#include "tests/support/GeneratedRecord.h"
#include "tests/support/PostgresServer.h"

using namespace km640;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Linux keeps a process's peak resident memory; writing 5 to clear_refs
// starts it again from what is resident now.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

long peakMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

RunStart startOf(const std::string& serial) {
    const RunTime now = SystemRecordClock().now();
    return testing::sampleRunStart(serial, UtcText(now), LocalText(now), "bench");
}

// 8 stations of a line switched on together: each opens the record for
// programming on a thread of its own at the same moment.
struct StationsOpening {
    int accepted = 0;
    double slowestMs = 0;
    std::string refusal;
};

StationsOpening eightStationsOpen(const RecordLocation& location) {
    constexpr int kStations = 8;
    std::vector<std::unique_ptr<ProductionRecord>> stations;
    for (int i = 0; i < kStations; ++i) {
        stations.push_back(std::make_unique<ProductionRecord>());
        stations.back()->setStation("station-" + std::to_string(i + 1));
    }
    std::latch together(kStations);
    std::vector<double> ms(kStations, -1);
    std::vector<std::thread> threads;
    for (int i = 0; i < kStations; ++i)
        threads.emplace_back([&, i] {
            together.arrive_and_wait();
            const auto begun = Clock::now();
            if (stations[i]->open(location)) ms[i] = msSince(begun);
        });
    for (auto& t : threads) t.join();
    StationsOpening out;
    for (int i = 0; i < kStations; ++i) {
        if (ms[i] >= 0) {
            ++out.accepted;
            out.slowestMs = std::max(out.slowestMs, ms[i]);
        } else if (out.refusal.empty()) {
            out.refusal = stations[i]->error();
        }
    }
    // A station that started the day's check waits for it before it closes.
    for (auto& s : stations) s->waitForCheck(std::chrono::minutes(5));
    return out;
}

class Scale {
public:
    explicit Scale(const char* backend) : backend_(backend) {}

    // One size; false when the record could not be built or refused a pager.
    bool measure(const RecordLocation& location, long long size) {
        auto start = Clock::now();
        if (const std::string error = testing::fillRecord(location, 0, size); !error.empty()) {
            std::fprintf(stderr, "%s, %lld runs: cannot build the record: %s\n", backend_, size, error.c_str());
            return false;
        }
        const double built = msSince(start) / 1000;

        ProductionRecord record;
        start = Clock::now();
        if (!record.open(location)) {
            std::fprintf(stderr, "%s, %lld runs: %s\n", backend_, size, record.error().c_str());
            return false;
        }
        const double opened = msSince(start);
        constexpr int kPagers = 50;
        start = Clock::now();
        for (int i = 0; i < kPagers; ++i) {
            const Claim claim = record.claim(startOf(testing::generatedSerial(size + i)), false);
            if (claim.kind != Claim::Kind::Granted ||
                !record.finish(claim.runId, {RunState::Programmed, "Write Success !", "1.2.10", 41000})) {
                std::fprintf(stderr, "%s, %lld runs, pager %d: %s\n", backend_, size, i,
                             claim.error.empty() ? record.error().c_str() : claim.error.c_str());
                return false;
            }
        }
        const double perPager = msSince(start) / kPagers;
        if (!firstPerPager_) firstPerPager_ = perPager;
        const StationsOpening line = eightStationsOpen(location);
        if (!line.refusal.empty())
            std::fprintf(stderr, "%s, %lld runs, 8 stations opening: %s\n", backend_, size, line.refusal.c_str());

        // A call the record gave up on (its time limit) is said, its figure
        // printed as -1, and the next call gets a fresh connection.
        auto reader = std::make_unique<ProductionRecord>();
        reader->openForReading(location);
        auto timed = [&](const char* what, auto call) {
            const auto begun = Clock::now();
            if (call()) return msSince(begun);
            std::fprintf(stderr, "%s, %lld runs, %s: %s\n", backend_, size, what, reader->error().c_str());
            reader = std::make_unique<ProductionRecord>();
            reader->openForReading(location);
            return -1.0;
        };
        const double serial = timed(
            "one serial", [&] { return reader->runs({testing::generatedSerial(size / 2), "", "", ""}).has_value(); });
        const std::string day = testing::generatedDay(size / 2);
        std::size_t bytes = 0;
        auto toCsv = [&](const RecordedRun& run) {
            bytes += RunCsvLine(run, {}).size();
            return true;
        };
        const double dayCsv = timed("one day's CSV", [&] { return reader->eachRun({"", "", day, day}, toCsv); });
        const double summary = timed("summary", [&] { return reader->summary({}).has_value(); });
        std::vector<std::string> roster;
        for (int i = 0; i < 1000; ++i) roster.push_back(testing::generatedSerial(i * (size / 1000)));
        resetPeak();
        const double rosterStatus = timed("roster status", [&] { return reader->runsOfSerials(roster).has_value(); });
        const long rosterMb = peakMb();
        resetPeak();
        const double allMs = timed("the whole record as CSV", [&] { return reader->eachRun({}, toCsv); });
        const long allMb = peakMb();
        const double allCsv = allMs < 0 ? -1 : allMs / 1000;
        record.waitForCheck(std::chrono::minutes(5));
        std::printf("%-10s %9lld %8.1f %8.1f %8.2f %+8.2f %4d/8 %8.1f %8.2f %8.1f %8.1f %8.1f %6ld %8.1f %6ld\n",
                    backend_, size, built, opened, perPager, perPager - *firstPerPager_, line.accepted, line.slowestMs,
                    serial, dayCsv, summary, rosterStatus, rosterMb, allCsv, allMb);
        std::fflush(stdout);
        return true;
    }

private:
    const char* backend_;
    std::optional<double> firstPerPager_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<long long> sqliteSizes, postgresSizes;
    auto* sizes = &sqliteSizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--postgres") == 0)
            sizes = &postgresSizes;
        else
            sizes->push_back(std::atoll(argv[i]));
    }
    if (sqliteSizes.empty() && sizes == &sqliteSizes) sqliteSizes = {10000, 300000};
    std::printf("%-10s %9s %8s %8s %8s %8s %6s %8s %8s %8s %8s %8s %6s %8s %6s\n", "record", "runs", "build s",
                "open ms", "pager ms", "vs first", "8 open", "slowest", "serial", "day csv", "summary", "roster",
                "MB", "all csv s", "MB");

    const fs::path folder = fs::temp_directory_path() / ("km640-record-scale-" + std::to_string(getpid()));
    Scale sqlite("SQLite");
    for (const long long size : sqliteSizes) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (!sqlite.measure(ParseRecordUrl((folder / "km640-production.sqlite").string()).location, size)) return 1;
    }
    fs::remove_all(folder);

    if (postgresSizes.empty()) return 0;
    testing::PostgresServer server;
    if (!server.start()) {
        std::fprintf(stderr, "PostgreSQL: no server could be started here: %s\n", server.error().c_str());
        return 0;
    }
    Scale postgres("PostgreSQL");
    int n = 0;
    for (const long long size : postgresSizes) {
        const std::string name = "scale" + std::to_string(++n);
        if (!server.createDatabase(name)) {
            std::fprintf(stderr, "PostgreSQL: createdb %s failed\n", name.c_str());
            return 1;
        }
        if (!postgres.measure(ParseRecordUrl(server.url(name)).location, size)) return 1;
    }
    return 0;
}
