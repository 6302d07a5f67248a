// Calls to the record that take longer than their limit, again and again:
// km640-cli says what did not answer in time and ends with its exit code,
// never by a signal (the record's thread is stopped and joined before the
// program ends); and a station that gives up on a frozen server goes on.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <filesystem>
#include <string>

#include "record/ProductionRecord.h"
#include "tests/record/RecordBackends.h"
#include "tests/support/GeneratedRecord.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 20;
constexpr int kRecordNotRead = 9;

struct Ended {
    bool exited = false;
    int code = -1;
    int signal = 0;
    std::string err;
};

// Runs km640-cli with standard error captured; how it ended.
Ended cli(const std::string& environment, const std::string& arguments) {
    const std::string command = "env " + environment + " " + KM640_CLI_PROGRAM + " " + arguments + " 2>&1 >/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    Ended ended;
    if (pipe == nullptr) return ended;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) ended.err += buffer;
    const int status = pclose(pipe);
    // The shell passes a signal on as 128 + its number.
    ended.exited = WIFEXITED(status) && WEXITSTATUS(status) < 128;
    ended.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ended.signal = WIFEXITED(status) && WEXITSTATUS(status) > 128 ? WEXITSTATUS(status) - 128 : 0;
    return ended;
}

RunStart startOf(const std::string& serial) { return km640::testing::sampleRunStart(serial); }

class GiveUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-giveup-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

}  // namespace

// A large SQLite record whose listing of a station that has no runs reads
// every run (the station has no index) and takes longer than the limit
// before a first row could come.
TEST_F(GiveUpTest, ListingsOfALargeRecord) {
    const std::string file = (folder_ / "km640-production.sqlite").string();
    ASSERT_EQ(fillRecord(ParseRecordUrl(file).location, 0, 300000), "");
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        const Ended ended = cli("KM640_RECORD_LIMIT=0.02", "records --station nowhere --record " + file);
        ASSERT_TRUE(ended.exited) << "ended by signal " << ended.signal;
        EXPECT_EQ(ended.code, kRecordNotRead) << ended.err;
        EXPECT_NE(ended.err.find("took longer than 0.02 s"), std::string::npos) << ended.err;
        EXPECT_EQ(ended.err.find("did not answer"), std::string::npos) << ended.err;
    }
}

// A frozen PostgreSQL server: listings from km640-cli, and claims of a
// station that goes on after each give-up.
TEST_F(GiveUpTest, AFrozenServer) {
    KM640_SKIP_WITHOUT_POSTGRES(Backend::Postgres);
    const std::string url = freshRecordUrl(Backend::Postgres, folder_);
    ASSERT_FALSE(url.empty());
    ProductionRecord record;
    record.setCallLimit(std::chrono::milliseconds(300));
    ASSERT_TRUE(record.open(ParseRecordUrl(url).location)) << record.error();
    ASSERT_TRUE(SharedPostgres::server()->freeze());
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        const Ended ended = cli("KM640_RECORD_LIMIT=0.3", "records --record '" + url + "'");
        ASSERT_TRUE(ended.exited) << "ended by signal " << ended.signal;
        EXPECT_EQ(ended.code, kRecordNotRead) << ended.err;
        EXPECT_NE(ended.err.find("took longer than 0.3 s (the server did not answer in time)"), std::string::npos)
            << ended.err;
        const Claim claim = record.claim(startOf(generatedSerial(round)), false);
        EXPECT_EQ(claim.kind, Claim::Kind::Failed);
        EXPECT_NE(claim.error.find("took longer than 0.3 s"), std::string::npos) << claim.error;
    }
    ASSERT_TRUE(SharedPostgres::server()->thaw());
    record.setCallLimit(std::chrono::seconds(kRecordCallSeconds));
    const Claim claim = record.claim(startOf(generatedSerial(0)), false);
    EXPECT_EQ(claim.kind, Claim::Kind::Granted) << claim.error;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    SharedPostgres::install();
    return RUN_ALL_TESTS();
}
