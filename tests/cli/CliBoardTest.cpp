// Which board a pager command talks to, and what it says when that board
// stops answering halfway through a write: km640-cli in-process against
// simulated boards on pseudo-terminals.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

#include "cli/ExitCode.h"
#include "link/PortDiscovery.h"
#include "tests/cli/CliFixture.h"

using namespace km640;
using namespace km640::cli;

namespace {

SerialDeviceRecord simulated(const PtyBoard& board) {
    return {board.slavePath(), std::string(kSimulatorBoardDescription)};
}

BoardOptions silentBoard() {
    BoardOptions options;
    options.faults.silent = true;
    return options;
}

}  // namespace

TEST_F(CliOverPty, WithoutPortTheOneBoardThatAnswers) {
    const auto none = run({"info"});
    EXPECT_EQ(none.code, toInt(ExitCode::NoBoard));
    EXPECT_EQ(none.err, "km640-cli: the system reports no serial port and no km640-sim board runs; give the board's "
                        "port with --port.\n");

    // A port with a silent board is tried, and named, but not taken.
    PtyBoard silent(PagerBoard(clitest::savedImage(), silentBoard()), false);
    devices_.records = {simulated(silent)};
    const auto quiet = run({"info"});
    EXPECT_EQ(quiet.code, toInt(ExitCode::NoBoard));
    EXPECT_EQ(quiet.err, "km640-cli: no programmer board answers on " + silent.slavePath() +
                             "; give its port with --port.\n");

    startBoard(clitest::savedImage(), withSerial());
    devices_.records = {simulated(silent), simulated(*board_)};
    const auto one = run({"info"});
    EXPECT_EQ(one.code, 0) << one.err;
    EXPECT_EQ(one.err, "km640-cli: the programmer board on " + port() + "\n");
    EXPECT_TRUE(one.out.starts_with("Port: " + port() + "\n")) << one.out;
    const auto written = run({"write", save("bench.tbl", clitest::savedImage())});
    EXPECT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(board_->writeCount(), 32);

    PtyBoard second(PagerBoard(clitest::savedImage(), BoardOptions{}), false);
    const int resets = board_->resetCount();
    devices_.records = {simulated(second), simulated(silent), simulated(*board_)};
    const auto two = run({"sync-time"});
    EXPECT_EQ(two.code, toInt(ExitCode::Usage));
    const auto [first, last] = std::minmax(port(), second.slavePath(), NaturalPortLess);
    EXPECT_EQ(two.err, "km640-cli: programmer boards answer on " + first + " and " + last + "; choose one with --port.\n");
    EXPECT_EQ(board_->resetCount(), resets);
    EXPECT_EQ(second.resetCount(), 0);
}

TEST_F(CliOverPty, ABoardLostHalfwayNamesTheBlockAndTheBackup) {
    struct Case {
        const char* name;
        bool backup;
        bool closeBoard;  // the board is gone (its adapter pulled) instead of silent
        const char* outcome;
        ExitCode code;
    };
    const Case cases[] = {
        {"silent from block 6, with a backup", true, false, "Write Fail !", ExitCode::WriteFail},
        {"silent from block 6", false, false, "Write Fail !", ExitCode::WriteFail},
        {"gone after block 1", false, true, "Comm Port Error !", ExitCode::PortError},
    };
    for (const auto& c : cases) {
        BoardOptions options;
        if (!c.closeBoard) options.faults.noWriteAckAtBlock = 5;
        std::thread closer;
        board_ = std::make_unique<PtyBoard>(PagerBoard(clitest::savedImage(), options), false,
                                            [&, done = false](const CodePlugImage&) mutable {
                                                if (!c.closeBoard || std::exchange(done, true)) return;
                                                closer = std::thread([&] { board_->Close(); });
                                            });
        const std::string boardPort = port();
        std::vector<std::string> args{"write", "--port", boardPort, save("bench.tbl", clitest::savedImage())};
        if (c.backup) args.insert(args.end(), {"--backup", path("backups")});
        const auto written = run(args);
        if (closer.joinable()) closer.join();
        EXPECT_EQ(written.code, toInt(c.code)) << c.name << written.err;
        EXPECT_EQ(written.out.substr(written.out.rfind('\n', written.out.size() - 2) + 1),
                  std::string(c.outcome) + "\n")
            << c.name << written.out;
        std::string backupNote = ".";
        if (c.backup) {
            const auto at = written.out.find("Backup: ");
            ASSERT_NE(at, std::string::npos) << c.name;
            backupNote = "; its memory before this write is in " +
                         written.out.substr(at + 8, written.out.find('\n', at) - at - 8) + ".";
        }
        // The board pulled from its own thread goes at the end of block 1
        // or 2; the silent one does not acknowledge block 6.
        const std::regex explanation("The programmer board on " + boardPort + " stopped answering during block (" +
                                     (c.closeBoard ? "1|2" : "6") +
                                     ") of 32: the pager may be half-written\\. Write it again" +
                                     std::regex_replace(backupNote, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                                     "\n");
        EXPECT_TRUE(std::regex_search(written.err, explanation)) << c.name << written.err;
        // One explanation: not the port's error number beside it.
        EXPECT_EQ(written.err.find("connection to the programmer board was lost"), std::string::npos) << c.name;
        board_.reset();
    }
}

TEST_F(CliOverPty, ABoardThatCannotBeOpenedIsLeftOutTheOtherGoesOn) {
    startBoard(clitest::savedImage(), withSerial());
    fs::create_directories(path("logs"));
    const auto line = run({"production", "--port", "ttyKM640nothere", "--port", port(),
                           save("line.tbl", clitest::savedImage()), "--serial-from-stdin", "--log-dir", path("logs")},
                          "KM640LINE0001\nKM640LINE0002\n");
    // Both pagers went to the board that works, each line marked with it.
    const std::regex pager("^" + port() + "  \\S+ \\S+  KM640LINE000[12]  Write Success !  [0-9.]+ s$");
    std::istringstream out(line.out);
    int programmed = 0;
    for (std::string text; std::getline(out, text);) programmed += std::regex_match(text, pager) ? 1 : 0;
    EXPECT_EQ(programmed, 2) << line.out;
    EXPECT_TRUE(line.out.ends_with("Programmed: 2  Failed: 0  Refused: 0\n")) << line.out;
    EXPECT_NE(line.err.find("km640-cli: ttyKM640nothere: No such port: /dev/ttyKM640nothere."), std::string::npos)
        << line.err;
    EXPECT_EQ(board_->writeCount(), 64);
    // The board that could not be used is not hidden by the pagers that went well.
    EXPECT_EQ(line.code, toInt(ExitCode::PortError));
}
