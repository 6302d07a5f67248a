// The whole-file check of a SQLite record, off the pager's path: in the
// background at most once a day, its outcome kept in the record, and the
// second look-up of a serial number that catches a damaged serial index
// before a check has run.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "record/ProductionRecord.h"
#include "record/RecordCheck.h"
#include "tests/support/GeneratedRecord.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;
constexpr std::int64_t kNoon = 1714651200000;  // 2024-05-02 12:00 UTC
constexpr auto kCheckWait = std::chrono::seconds(60);

class FixedClock : public RecordClock {
public:
    explicit FixedClock(std::int64_t utcMs) : utcMs_(utcMs) {}
    RunTime now() override { return {utcMs_, 0}; }
    std::int64_t steadyMs() override { return 0; }

private:
    std::int64_t utcMs_;
};

RunStart startOf(const std::string& serial, std::int64_t utcMs = kNoon) {
    return sampleRunStart(serial, UtcText({utcMs, 0}), LocalText({utcMs, 0}));
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Where in the file the serial index's root page lies.
std::pair<std::size_t, std::size_t> serialIndexPage(const std::string& file) {
    int page = 0, pageSize = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "look");
        db.setDatabaseName(QString::fromStdString(file));
        db.open();
        QSqlQuery query(db);
        if (query.exec("SELECT rootpage FROM sqlite_master WHERE name = 'production_run_serial'") && query.next())
            page = query.value(0).toInt();
        if (query.exec("PRAGMA page_size") && query.next()) pageSize = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("look");
    return {static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(pageSize),
            static_cast<std::size_t>(pageSize)};
}

int finishedChecks(const std::string& file) {
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "count");
        db.setDatabaseName(QString::fromStdString(file));
        db.open();
        QSqlQuery query(db);
        if (query.exec("SELECT COUNT(*) FROM record_check WHERE passed >= 0") && query.next())
            count = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("count");
    return count;
}

class RecordCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-check-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        location_ = ParseRecordUrl((folder_ / "km640-production.sqlite").string()).location;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Two programmed pagers, and no check yet.
    void twoPagers() {
        ProductionRecord record;
        record.setBackgroundCheck(false);
        ASSERT_TRUE(record.open(location_)) << record.error();
        for (const char* serial : {"A1B2C3D4E5F6", "A1B2C3D4E5F7"}) {
            const Claim claim = record.claim(startOf(serial), false);
            ASSERT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
            ASSERT_TRUE(record.finish(claim.runId, {RunState::Programmed, "Write Success !", "1.2.3", 41000}));
        }
    }

    fs::path folder_;
    RecordLocation location_;
};

}  // namespace

// A record whose serial index was damaged (a disk error, a copy taken in
// the middle of a write): the index no longer finds a serial number's
// programmed run. Before any check has run, the claim looks the serial
// number up through the second index as well, sees that they differ,
// refuses, and keeps the damage in the record: every station refuses it
// from then on, until a check passes.
TEST_F(RecordCheckTest, TheSecondLookUpCatchesADamagedSerialIndex) {
    twoPagers();
    std::string bytes = fileBytes(location_.sqliteFile);
    const auto [start, size] = serialIndexPage(location_.sqliteFile);
    const std::size_t at = bytes.find("A1B2C3D4E5F6", start);
    ASSERT_LT(at, start + size);
    bytes[at] = 'Z';  // the index entry of the first pager now names another serial number
    std::ofstream(location_.sqliteFile, std::ios::binary | std::ios::trunc) << bytes;

    {
        ProductionRecord record;
        record.setBackgroundCheck(false);
        ASSERT_TRUE(record.open(location_)) << record.error();
        // A serial number the damage does not touch is still looked up alike.
        EXPECT_EQ(record.claim(startOf("A1B2C3D4E5F8"), false).kind, Claim::Kind::Granted);
        const Claim again = record.claim(startOf("A1B2C3D4E5F6"), false);
        EXPECT_EQ(again.kind, Claim::Kind::Failed);
        EXPECT_NE(again.error.find("cannot be used: it was found damaged on 2024-05-02 12:00 UTC by line-1 (the serial "
                                   "index does not find every run of A1B2C3D4E5F6)"),
                  std::string::npos)
            << again.error;
    }
    ProductionRecord record;
    record.setBackgroundCheck(false);
    EXPECT_FALSE(record.open(location_));
    EXPECT_NE(record.error().find("it was found damaged"), std::string::npos) << record.error();
    // The whole-file check names the damaged index too, and keeps it so.
    const auto check = record.checkNow(location_);
    ASSERT_TRUE(check) << record.error();
    EXPECT_FALSE(check->passed);
    EXPECT_NE(check->damage.find("production_run_serial"), std::string::npos) << check->damage;
    EXPECT_FALSE(record.open(location_));
}

// A page that is no database at all: the background check finds it, and
// the station refuses to program from then on, saying since when.
TEST_F(RecordCheckTest, DamageFoundInTheBackgroundStopsProgramming) {
    twoPagers();
    std::string bytes = fileBytes(location_.sqliteFile);
    const auto [start, size] = serialIndexPage(location_.sqliteFile);
    for (std::size_t i = start; i < start + size; ++i) bytes[i] = '\x5A';
    std::ofstream(location_.sqliteFile, std::ios::binary | std::ios::trunc) << bytes;

    FixedClock clock(kNoon);
    ProductionRecord record;
    record.setClock(clock);
    record.setStation("line-2");
    ASSERT_TRUE(record.open(location_)) << record.error();
    const auto check = record.waitForCheck(kCheckWait);
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->passed);
    EXPECT_EQ(check->station, "line-2");
    const Claim claim = record.claim(startOf("B1B2C3D4E5F6"), false);
    EXPECT_EQ(claim.kind, Claim::Kind::Failed);
    EXPECT_NE(claim.error.find("it was found damaged on 2024-05-02 12:00 UTC by line-2"), std::string::npos)
        << claim.error;
}

// At most once a day: a check that passed more than a day ago starts
// another in the background while programming goes on; one that passed an
// hour ago starts none.
TEST_F(RecordCheckTest, APassedCheckCountsForADay) {
    twoPagers();
    const struct {
        std::int64_t at;
        bool checks;
    } opens[] = {{kNoon - 2 * kDayMs, true}, {kNoon, true}, {kNoon + kDayMs / 24, false}};
    int expected = 0;
    for (const auto& open : opens) {
        SCOPED_TRACE(UtcText({open.at, 0}));
        FixedClock clock(open.at);
        ProductionRecord record;
        record.setClock(clock);
        ASSERT_TRUE(record.open(location_)) << record.error();
        const Claim claim = record.claim(startOf(generatedSerial(open.at), open.at), false);
        ASSERT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
        EXPECT_TRUE(record.finish(claim.runId, {RunState::Programmed, "Write Success !", "1.2.3", 41000}));
        const auto check = record.waitForCheck(kCheckWait);
        EXPECT_FALSE(record.checking());
        EXPECT_EQ(check.has_value(), open.checks);
        if (check) {
            EXPECT_TRUE(check->passed) << check->damage;
            EXPECT_EQ(check->checkedUtc, UtcText({open.at, 0}));
        }
        expected += open.checks ? 1 : 0;
        EXPECT_EQ(finishedChecks(location_.sqliteFile), expected);
    }
}

// A check of a large record takes a while; the scans do not wait for it.
TEST_F(RecordCheckTest, ASlowCheckNeverDelaysAScan) {
    ASSERT_EQ(fillRecord(location_, 0, 300000), "");
    FixedClock clock(kNoon);
    ProductionRecord record;
    record.setClock(clock);
    ASSERT_TRUE(record.open(location_)) << record.error();
    for (const char* serial : {"C1B2C3D4E5F6", "C1B2C3D4E5F7", "C1B2C3D4E5F8"}) {
        const Claim claim = record.claim(startOf(serial), false);
        ASSERT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
        ASSERT_TRUE(record.finish(claim.runId, {RunState::Programmed, "Write Success !", "1.2.3", 41000}));
    }
    // Three pagers were claimed and completed while the check read on.
    EXPECT_TRUE(record.checking());
    const auto check = record.waitForCheck(kCheckWait);
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->passed) << check->damage;
}

TEST(RecordCheckTimes, CurrentForADay) {
    const struct {
        const char* checked;
        std::int64_t now;
        bool current;
    } cases[] = {
        {"2024-05-02T12:00:00.000Z", kNoon, true},
        {"2024-05-01T12:00:00.001Z", kNoon, true},
        {"2024-05-01T12:00:00.000Z", kNoon, false},
        {"2024-05-05T12:00:00.000Z", kNoon, false},  // a clock set back by days
        {"2024-05-02 12:00:00", kNoon, false},
        {"", kNoon, false},
    };
    for (const auto& c : cases) EXPECT_EQ(RecordCheckCurrent(c.checked, c.now), c.current) << c.checked;
    EXPECT_EQ(NextRecordDate("2024-02-28"), "2024-02-29");
    EXPECT_EQ(NextRecordDate("2023-12-31"), "2024-01-01");
}
