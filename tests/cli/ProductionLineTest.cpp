// A production line on one PC: four boards, each driven by its own
// km640-cli production --serial-from-stdin, sharing one log folder and one
// production record on a real PostgreSQL server. The same label is scanned
// on two stations at once: exactly one programs it, and every run is
// recorded exactly once.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "codeplug/CodePlugImage.h"
#include "tests/cli/SavedImage.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/PostgresServer.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

constexpr int kStations = 4;
constexpr int kOwnLabels = 3;
const std::string kSharedLabel = "KM640SHARED01";

std::string label(int station, int n) { return "KM640S" + std::to_string(station) + "N" + std::to_string(n) + "0000"; }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// CSV fields of one record line (no field of these runs holds a quote,
// comma or line break).
std::vector<std::string> fields(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Empty fields count too, the last ones included.
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
        out.push_back(line.substr(from, comma - from));
    out.push_back(line.substr(from));
    return out;
}

class ProductionLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PostgresServer::findPrograms())
            GTEST_SKIP() << "PostgreSQL server programs (initdb, pg_ctl) are not installed; scripts/deps.sh "
                            "installs them";
        folder_ = fs::temp_directory_path() / ("km640-line-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "run");
        fs::create_directories(folder_ / "logs");
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        ASSERT_TRUE(server_.start()) << server_.error();
        ASSERT_TRUE(server_.createDatabase("line"));
        record_ = server_.url("line");
        const CodePlugImage image = clitest::savedImage();
        std::ofstream((folder_ / "line.tbl").string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
    }
    void TearDown() override {
        stations_.clear();
        boards_.clear();
        server_.stop();
        fs::remove_all(folder_);
    }

    std::string logText() {
        std::string text;
        for (const auto& entry : fs::directory_iterator(folder_ / "logs"))
            if (entry.path().extension() == ".log") {
                std::ifstream in(entry.path(), std::ios::binary);
                std::stringstream s;
                s << in.rdbuf();
                text += s.str();
            }
        return text;
    }

    PostgresServer server_;
    fs::path folder_;
    std::string record_;
    std::vector<std::unique_ptr<ChildProgram>> boards_;
    std::vector<std::unique_ptr<ChildProgram>> stations_;
};

}  // namespace

TEST_F(ProductionLineTest, FourBoardsOneRecordOneLogFolder) {
    for (int i = 0; i < kStations; ++i) {
        boards_.push_back(std::make_unique<ChildProgram>());
        const auto port = startSimulator(*boards_.back(), KM640_SIM_PROGRAM, {"--no-pacing"});
        ASSERT_TRUE(port && !port->empty());
        stations_.push_back(std::make_unique<ChildProgram>());
        ASSERT_TRUE(stations_.back()->start(
            {KM640_CLI_PROGRAM, "production", "--port", *port, (folder_ / "line.tbl").string(), "--serial-from-stdin",
             "--record", record_, "--log-dir", (folder_ / "logs").string(), "--station", "station-" + std::to_string(i)},
            (folder_ / ("station-" + std::to_string(i) + ".err")).string()));
    }
    // Each station programs pagers of its own while the others do...
    std::map<int, std::vector<std::string>> printed;
    for (int i = 0; i < kStations; ++i)
        for (int n = 0; n < kOwnLabels; ++n) ASSERT_TRUE(stations_[i]->write(label(i, n) + "\n"));
    for (int i = 0; i < kStations; ++i)
        for (int n = 0; n < kOwnLabels; ++n) {
            const auto line = stations_[i]->readLine();
            ASSERT_TRUE(line) << "station " << i << " stopped";
            printed[i].push_back(*line);
        }
    // ... then stations 0 and 1 get the same label at the same moment.
    ASSERT_TRUE(stations_[0]->write(kSharedLabel + "\n"));
    ASSERT_TRUE(stations_[1]->write(kSharedLabel + "\n"));
    for (auto& station : stations_) station->closeInput();
    std::map<int, int> exitCodes;
    for (int i = 0; i < kStations; ++i) {
        while (const auto line = stations_[i]->readLine()) printed[i].push_back(*line);
        exitCodes[i] = stations_[i]->wait();
    }

    int sharedProgrammed = 0, sharedRefused = 0;
    for (int i = 0; i < kStations; ++i) {
        SCOPED_TRACE("station " + std::to_string(i));
        const auto& out = printed[i];
        const bool shared = i < 2;
        ASSERT_EQ(out.size(), static_cast<std::size_t>(kOwnLabels + (shared ? 2 : 1)));
        for (int n = 0; n < kOwnLabels; ++n) {
            EXPECT_NE(out[n].find("  " + label(i, n) + "  Write Success !  "), std::string::npos) << out[n];
        }
        if (shared) {
            const std::string& sharedLine = out[kOwnLabels];
            const bool won = sharedLine.find(kSharedLabel + "  Write Success !") != std::string::npos;
            const bool lost = sharedLine.find(kSharedLabel + "  Refused: programmed before") != std::string::npos;
            EXPECT_TRUE(won != lost) << sharedLine;
            sharedProgrammed += won;
            sharedRefused += lost;
            EXPECT_EQ(exitCodes[i], won ? 0 : 12);
            EXPECT_EQ(out.back(), won ? "Programmed: 4  Failed: 0  Refused: 0" : "Programmed: 3  Failed: 0  Refused: 1");
        } else {
            EXPECT_EQ(exitCodes[i], 0);
            EXPECT_EQ(out.back(), "Programmed: 3  Failed: 0  Refused: 0");
        }
    }
    EXPECT_EQ(sharedProgrammed, 1);
    EXPECT_EQ(sharedRefused, 1);

    // The day's log: its header once and first, every programmed pager on a
    // whole line of its own.
    const auto log = lines(logText());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "-------  KM645 Programming (Barcode) Start ------- \r");
    std::multiset<std::string> logged;
    for (std::size_t i = 1; i < log.size(); ++i) {
        const auto from = log[i].find("  Serial No. = ");
        ASSERT_NE(from, std::string::npos) << log[i];
        ASSERT_TRUE(log[i].ends_with("  Write Success !\r")) << log[i];
        logged.insert(log[i].substr(from + 15, log[i].size() - from - 15 - 18));
    }
    EXPECT_EQ(logged.size(), static_cast<std::size_t>(kStations * kOwnLabels + 1));
    EXPECT_EQ(logged.count(kSharedLabel), 1u);

    // The record: every run once, with its station.
    ChildProgram records;
    ASSERT_TRUE(records.start({KM640_CLI_PROGRAM, "records", "--record", record_, "--csv"}));
    std::vector<std::vector<std::string>> rows;
    while (const auto line = records.readLine()) rows.push_back(fields(*line));
    ASSERT_EQ(records.wait(), 0);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(1 + kStations * kOwnLabels + 2));
    ASSERT_EQ(rows[0][5], "serial");
    std::map<std::string, std::vector<std::string>> statesBySerial;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), rows[0].size());
        statesBySerial[rows[r][5]].push_back(rows[r][8]);
        if (rows[r][5] != kSharedLabel) {
            EXPECT_EQ(rows[r][3], "station-" + rows[r][5].substr(6, 1));
        }
    }
    for (int i = 0; i < kStations; ++i)
        for (int n = 0; n < kOwnLabels; ++n)
            EXPECT_EQ(statesBySerial[label(i, n)], std::vector<std::string>{"programmed"}) << label(i, n);
    std::multiset<std::string> shared(statesBySerial[kSharedLabel].begin(), statesBySerial[kSharedLabel].end());
    EXPECT_EQ(shared, (std::multiset<std::string>{"programmed", "refused"}));
}
