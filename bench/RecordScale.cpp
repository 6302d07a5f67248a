// The production record as it grows: records of 10 k, 300 k, 1 M and 3 M
// runs (sizes on the command line) built in the record's own schema, and
// what a station and the quality department wait for in each.
//
//   record_scale [RUNS...]      (default: 10000 300000)
//
// For each size: the first open, the record's time per pager (claim and
// completion, the background check running), one serial number's runs, one
// day's CSV, the summary, a 1,000-row roster's status, the whole record as
// CSV, and the process's peak memory so far.

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "record/ProductionRecord.h"
#include "record/RecordListing.h"
#include "tests/support/GeneratedRecord.h"

using namespace km640;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

RunStart startOf(const std::string& serial) {
    const RunTime now = SystemRecordClock().now();
    return testing::sampleRunStart(serial, UtcText(now), LocalText(now), "bench");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<long long> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoll(argv[i]));
    if (sizes.empty()) sizes = {10000, 300000};
    const fs::path folder = fs::temp_directory_path() / ("km640-record-scale-" + std::to_string(getpid()));
    std::printf("%9s %9s %10s %9s %9s %9s %9s %9s %9s %8s\n", "runs", "build s", "open ms", "pager ms", "serial ms",
                "day csv ms", "summary ms", "roster ms", "all csv s", "peak MB");
    for (const long long size : sizes) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        const RecordLocation location = ParseRecordUrl((folder / "km640-production.sqlite").string()).location;
        auto start = Clock::now();
        if (const std::string error = testing::fillRecord(location, 0, size); !error.empty()) {
            std::fprintf(stderr, "cannot build the record: %s\n", error.c_str());
            return 1;
        }
        const double built = msSince(start) / 1000;

        ProductionRecord record;
        start = Clock::now();
        if (!record.open(location)) {
            std::fprintf(stderr, "%s\n", record.error().c_str());
            return 1;
        }
        const double opened = msSince(start);
        constexpr int kPagers = 50;
        start = Clock::now();
        for (int i = 0; i < kPagers; ++i) {
            const Claim claim = record.claim(startOf(testing::generatedSerial(size + i)), false);
            if (claim.kind != Claim::Kind::Granted || !record.finish(claim.runId, {RunState::Programmed, "Write Success !",
                                                                                   "1.2.10", 41000})) {
                std::fprintf(stderr, "pager %d: %s\n", i, claim.error.c_str());
                return 1;
            }
        }
        const double perPager = msSince(start) / kPagers;

        // A call the record gave up on (its time limit) is said, its figure
        // printed as -1, and the next call gets a fresh connection.
        auto reader = std::make_unique<ProductionRecord>();
        reader->openForReading(location);
        auto timed = [&](const char* what, auto call) {
            const auto begun = Clock::now();
            if (call()) return msSince(begun);
            std::fprintf(stderr, "%lld runs, %s: %s\n", size, what, reader->error().c_str());
            reader = std::make_unique<ProductionRecord>();
            reader->openForReading(location);
            return -1.0;
        };
        const double serial =
            timed("one serial", [&] { return reader->runs({testing::generatedSerial(size / 2), "", "", ""}).has_value(); });
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
        const double rosterStatus = timed("roster status", [&] { return reader->runsOfSerials(roster).has_value(); });
        const double allMs = timed("the whole record as CSV", [&] { return reader->eachRun({}, toCsv); });
        const double allCsv = allMs < 0 ? -1 : allMs / 1000;
        record.waitForCheck(std::chrono::minutes(5));
        std::printf("%9lld %9.1f %10.1f %9.2f %9.2f %9.1f %9.1f %9.1f %9.1f %8ld\n", size, built, opened, perPager,
                    serial, dayCsv, summary, rosterStatus, allCsv, peakMb());
        std::fflush(stdout);
    }
    fs::remove_all(folder);
    return 0;
}
