// One scanner for all boards: one km640-cli production with three --port
// against three km640-sim programs, a fleet of six pagers in a roster and one
// stream of scanned labels. One board is killed in the middle of a pager:
// its pager is reported half-written, the board is left out, and the other
// two program the rest, each pager with its own row.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "codeplug/CodePlugFile.h"
#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/FieldValue.h"
#include "tests/cli/SavedImage.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/MemorySaves.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

CodePlugImage memoryIn(const fs::path& file) {
    CodePlugImage image;
    image.bytes() = ReadCodePlugFile(file.string()).bytes;
    return image;
}

std::string serialOf(int n) { return "FLEET0000000" + std::to_string(n); }
std::string nameOf(int n) { return "Engine " + std::to_string(n); }

class OneScannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-one-scanner-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "run");
        fs::create_directories(folder_ / "logs");
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        // This PC's production record goes into the test's folder.
        setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
        const CodePlugImage image = clitest::savedImage();
        for (const char* name : {"line.tbl", "board0.tbl", "board1.tbl", "board2.tbl"})
            std::ofstream((folder_ / name).string(), std::ios::binary)
                .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
        // Saved as a German spreadsheet saves it.
        std::string roster = "\xEF\xBB\xBFserial;F1AddrName[0];\r\n";
        for (int n = 1; n <= 6; ++n) roster += serialOf(n) + ";" + nameOf(n) + ";\r\n";
        std::ofstream(folder_ / "fleet.csv", std::ios::binary) << roster;
    }
    void TearDown() override {
        station_.reset();
        boards_.clear();
        fs::remove_all(folder_);
    }

    fs::path folder_;
    std::vector<std::unique_ptr<ChildProgram>> boards_;
    std::unique_ptr<ChildProgram> station_;
};

}  // namespace

TEST_F(OneScannerTest, ThreeBoardsOneKilledTheOthersGoOn) {
    std::vector<std::string> ports;
    for (int b = 0; b < 3; ++b) {
        boards_.push_back(std::make_unique<ChildProgram>());
        // Paced as a real line, so that a pager takes seconds and the board
        // can be killed in the middle of one.
        const auto port = startSimulator(*boards_.back(), KM640_SIM_PROGRAM,
                                         {"--serial", "A1B2C3D4E5F6", "--memory",
                                          (folder_ / ("board" + std::to_string(b) + ".tbl")).string(), "--save"});
        ASSERT_TRUE(port) << "km640-sim did not start";
        ports.push_back(*port);
    }
    MemorySaves killedSaves(folder_ / "board1.tbl");

    std::vector<std::string> args{KM640_CLI_PROGRAM, "production"};
    for (const auto& port : ports) args.insert(args.end(), {"--port", port});
    args.insert(args.end(), {(folder_ / "line.tbl").string(), "--serial-from-stdin", "--roster",
                             (folder_ / "fleet.csv").string(), "--log-dir", (folder_ / "logs").string()});
    station_ = std::make_unique<ChildProgram>();
    ASSERT_TRUE(station_->start(args, (folder_ / "err.txt").string()));
    std::string labels;
    for (int n = 1; n <= 6; ++n) labels += serialOf(n) + "\n";
    ASSERT_TRUE(station_->write(labels));
    station_->closeInput();

    // The middle board is killed once it has written the first block of its
    // first pager (the simulator saves its memory after every block).
    ASSERT_TRUE(killedSaves.waitFor(1)) << "the middle board never got a pager";
    ::kill(boards_[1]->pid(), SIGKILL);

    std::vector<std::string> out;
    while (const auto line = station_->readLine()) out.push_back(*line);
    const int code = station_->wait();
    const std::string err = readText(folder_ / "err.txt");
    std::string shownOut;
    for (const auto& line : out) shownOut += line + "\n";

    // One line per pager, marked with its board; the summary over all.
    std::map<std::string, std::string> lastOnBoard;  // port -> the serial it programmed last
    int programmed = 0;
    std::string halfWritten;
    const std::regex pagerLine(R"((\S+)  \d{4}-\d\d-\d\d \d\d:\d\d:\d\d  (FLEET\d+)  (.*?)  [0-9.]+ s)");
    for (const auto& line : out) {
        std::smatch m;
        if (!std::regex_match(line, m, pagerLine)) continue;
        if (m[3] == "Write Success !") {
            ++programmed;
            lastOnBoard[m[1]] = m[2];
            EXPECT_NE(m[1], ports[1]) << line;
        } else {
            EXPECT_EQ(m[1], ports[1]) << line;
            halfWritten = m[2];
        }
    }
    EXPECT_EQ(programmed, 5) << shownOut << err;
    ASSERT_FALSE(halfWritten.empty()) << shownOut << err;
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), "Programmed: 5  Failed: 1  Refused: 0") << shownOut;
    // The killed board's pager: what it means, and that the others went on.
    const std::regex explained("\nkm640-cli: " + ports[1] + ": The programmer board on " + ports[1] +
                               " stopped answering during block [0-9]+ of 32: the pager may be half-written\\. "
                               "Write it again\\.\n");
    EXPECT_TRUE(std::regex_search(err, explained)) << err;
    EXPECT_NE(err.find("km640-cli: " + ports[1] + ": the board is left out; the other boards go on.\n"),
              std::string::npos)
        << err;
    // A failed pager decides the exit code, as on a line with one board.
    EXPECT_TRUE(code == 4 || code == 7) << code;

    // The pager left in each board that went on holds its own row.
    ASSERT_EQ(lastOnBoard.size(), 2u) << shownOut;
    for (const int b : {0, 2}) {
        const auto at = lastOnBoard.find(ports[static_cast<std::size_t>(b)]);
        ASSERT_NE(at, lastOnBoard.end()) << ports[static_cast<std::size_t>(b)];
        const CodePlugImage memory = memoryIn(folder_ / ("board" + std::to_string(b) + ".tbl"));
        EXPECT_EQ(SerialNumberText(memory), at->second);
        const int n = at->second.back() - '0';
        EXPECT_EQ(fieldtext::fieldValueText(memory, memmap::field("F1AddrName[0]")), "\"" + nameOf(n) + "\"");
    }
}
