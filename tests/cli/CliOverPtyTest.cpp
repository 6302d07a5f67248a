// km640-cli end to end: every command against a simulated programmer board on
// a pseudo-terminal (pacing off), with a fixed clock and a fixed port list.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "cli/CliRunner.h"
#include "cli/ExitCode.h"
#include "codeplug/CodePlugFile.h"
#include "fieldtext/CodePlugDiff.h"
#include "link/TCommPort.h"
#include "pager/PagerClock.h"
#include "rf/ChannelRef.h"
#include "selcall/ToneCoding.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PostgresServer.h"

using namespace km640;
using namespace km640::cli;
using namespace km640::fieldtext;
namespace fs = std::filesystem;
using km640::testing::FileSizeLimit;

namespace {

std::vector<std::string> fieldNames(const CodePlugDifferences& differences) {
    std::vector<std::string> names;
    for (const auto& d : differences.fields) names.push_back(d.field->name);
    return names;
}

}  // namespace

TEST_F(CliOverPty, ReadThenVerifySucceeds) {
    startBoard(clitest::savedImage(), withSerial());
    const auto info = run({"info", "--port", port()});
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_EQ(info.out, "Port: " + port() + "\nFirmVer. 1.2.10\nSerial No.: A1B2C3D4E5F6\n"
                        "Model text: \"KM640 V119\"\nSoftware version: 119\n");

    const auto read = run({"read", "--port", port(), "-o", path("pager.tbl")});
    EXPECT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(read.out, "Read Success !\n");
    EXPECT_EQ(load(path("pager.tbl")), board_->memory());

    const auto verify = run({"verify", "--port", port(), path("pager.tbl")});
    EXPECT_EQ(verify.code, 0) << verify.err;
    EXPECT_EQ(verify.out, "Verify Success !\n");
    EXPECT_EQ(board_->writeCount(), 0);
}

// verify asks whether the pager holds what writing the file put there: the
// clock, version stamp, board data and serial number a write takes from the
// pager or stamps then are the pager's; anything else that differs is named.
TEST_F(CliOverPty, VerifyFindsWhatTheWriteLeft) {
    BoardOptions options = withSerial();
    options.softwareVersion = 117;  // last written by another program version
    startBoard(clitest::savedImage(), options);
    EXPECT_EQ(run({"read", "--port", port(), "-o", path("pager.tbl")}).code, 0);
    const auto unchanged = run({"verify", "--port", port(), path("pager.tbl")});
    EXPECT_EQ(unchanged.code, 0) << unchanged.out;

    // A file the window never showed: a stale menu count, which the write
    // normalises, and two equal tones, which the window refuses with a message.
    CodePlugImage file = clitest::savedImage();
    file.setByte(21, 8);
    file.copyIn(259, *toneToBcd(12858));
    const std::string bench = save("bench.tbl", file);
    const auto write = run({"write", "--port", port(), bench});
    EXPECT_EQ(write.code, 0) << write.err;
    EXPECT_NE(write.err.find("km640-cli: " + bench + ": Tone Frequency Error! Please check the tone spacing rule."),
              std::string::npos)
        << write.err;
    EXPECT_EQ(board_->memory().byte(21), 7);
    EXPECT_EQ(board_->memory().byte(166), 0x10);  // this computer's clock went in
    const auto verify = run({"verify", "--port", port(), bench});
    EXPECT_EQ(verify.code, 0) << verify.out;
    EXPECT_EQ(verify.out, "Verify Success !\n");

    file.setText(1600, 12, "NIGHT");
    save("bench.tbl", file);
    const auto changed = run({"verify", "--port", port(), bench});
    EXPECT_EQ(changed.code, toInt(ExitCode::VerifyFail));
    EXPECT_EQ(changed.out, "--- " + bench + "\n+++ " + port() +
                               "\nProfile[1].PName (1600): \"NIGHT\" -> \" Profile 2\"\nVerify Fail !\n");
}

// A pager last written by a program before version 117 gets the legacy
// battery levels on writing, whatever the file says; verify of the same file
// afterwards must know that the write did so. Levels the file and the pager
// disagree on otherwise are still named.
TEST_F(CliOverPty, VerifyKnowsTheBatteryLevelsAWriteToAnOldPagerSets) {
    for (const int stamp : {116, 99}) {
        SCOPED_TRACE(stamp);
        BoardOptions options = withSerial();
        options.softwareVersion = stamp;
        startBoard(clitest::savedImage(), options);
        CodePlugImage file = clitest::savedImage();
        const std::uint8_t levels[] = {0x90, 0x9A, 0xA2};  // not the legacy 0x95, 0xA0, 0xA6
        file.copyIn(240, levels);
        const std::string bench = save("bench.tbl", file);
        const auto write = run({"write", "--port", port(), bench});
        ASSERT_EQ(write.code, 0) << write.err;
        EXPECT_EQ(board_->memory().byte(240), 0x95);
        EXPECT_EQ(board_->memory().byte(242), 0xA6);
        const auto verify = run({"verify", "--port", port(), bench});
        EXPECT_EQ(verify.code, 0) << verify.out;
        EXPECT_EQ(verify.out, "Verify Success !\n");
        // The pager's memory cannot tell this from a pager that never got the
        // file's levels: verify says what it assumed.
        EXPECT_NE(verify.err.find("battery levels"), std::string::npos) << verify.err;
        EXPECT_EQ(run({"diff", "--port", port(), bench}).code, 0);

        file.setByte(36, 121);  // anything else still differs
        save("bench.tbl", file);
        EXPECT_EQ(run({"verify", "--port", port(), bench}).code, toInt(ExitCode::VerifyFail));
    }
    // A pager this program wrote with levels of its own differs in them.
    CodePlugImage pager = clitest::savedImage();
    const std::uint8_t levels[] = {0x90, 0x9A, 0xA2};
    pager.copyIn(240, levels);
    ImageChecksum(pager);
    startBoard(pager, withSerial());
    CodePlugImage file = pager;
    file.setByte(240, 0x91);
    const auto differ = run({"diff", "--port", port(), save("bench.tbl", file)});
    EXPECT_EQ(differ.code, toInt(ExitCode::Differences));
    EXPECT_NE(differ.out.find("(240)"), std::string::npos) << differ.out;
}

TEST_F(CliOverPty, WriteThenReadGivesBackTheFilesSettings) {
    BoardOptions options = withSerial();
    options.softwareVersion = 119;
    startBoard(DefaultImage(), options);
    CodePlugImage edited = clitest::savedImage();
    setChannelUnits(edited, {Channel::F1, 0}, 1530000);
    recomputeSynthesizerWords(edited);
    edited.setText(1536, 12, "BENCH");
    ImageChecksum(edited);
    const std::string file = save("edited.tbl", edited);

    const auto write = run({"write", "--port", port(), file});
    EXPECT_EQ(write.code, 0) << write.err;
    EXPECT_EQ(write.out, "Write Success !\n");
    EXPECT_EQ(load(file), edited) << "the file written from is never changed";
    // The clock went out as the fixed clock gives it, then the reset.
    EXPECT_EQ(board_->lastClockPayload(), BuildClockPayload(ClockString(kSunday), edited.byte(167)));
    EXPECT_EQ(board_->resetCount(), 1);

    const auto read = run({"read", "--port", port(), "-o", path("back.tbl")});
    EXPECT_EQ(read.code, 0) << read.err;
    const CodePlugImage back = load(path("back.tbl"));
    // Only what Write stamps differs: the clock, the pager's serial number and board data, the checksum.
    EXPECT_EQ(fieldNames(diffCodePlugs(edited, back)),
              (std::vector<std::string>{"ClockSetting", "ImageChecksum", "SerialNo", "SerialChecksum",
                                        "FirmwareVersion"}));
    EXPECT_TRUE(std::ranges::equal(back.span(160, 7), ClockSettingBytes(kSunday)));
    EXPECT_EQ(SerialNumberText(back), "A1B2C3D4E5F6");
}

TEST_F(CliOverPty, WriteWithoutTheClockStillResets) {
    startBoard(clitest::savedImage());
    const auto write = run({"write", "--no-clock", "--port", port(), save("a.tbl", clitest::savedImage())});
    EXPECT_EQ(write.code, 0) << write.err;
    EXPECT_FALSE(board_->lastClockPayload());
    EXPECT_EQ(board_->resetCount(), 1);
}

TEST_F(CliOverPty, SyncTimeSendsTheFixedClock) {
    startBoard(clitest::savedImage());
    const auto sync = run({"sync-time", "--port", port()});
    EXPECT_EQ(sync.code, 0) << sync.err;
    EXPECT_EQ(sync.out, "SYNC SUCCESS !\nPager clock set to 2010/03/07 14:05:09\n");
    const PagerBoard::ClockPayload expected = {0x09, 0x05, 0x14, 0x00, 0x07, 0x03, 0x10, DefaultImage().byte(167),
                                               0,    0,    0,    0,    0,    0,    0,    0x28};
    EXPECT_EQ(board_->lastClockPayload(), expected);
    EXPECT_EQ(board_->resetCount(), 1);
}

TEST_F(CliOverPty, FaultsMapToTheirExitCodes) {
    const auto options = [](std::function<void(BoardOptions&)> set) {
        BoardOptions o = withSerial();
        set(o);
        return o;
    };
    const struct {
        const char* what;
        CodePlugImage memory;
        BoardOptions options;
        std::string command;
        ExitCode code;
        std::string outcome;  // the last line on standard output
        bool writes;          // whether blocks reached the pager
    } cases[] = {
        {"silent board", clitest::savedImage(), options([](BoardOptions& o) { o.faults.silent = true; }), "info",
         ExitCode::NoBoard, "The Board is not responding !", false},
        {"silent board on write", clitest::savedImage(), options([](BoardOptions& o) { o.faults.silent = true; }),
         "write", ExitCode::NoBoard, "The Board is not responding !", false},
        {"stops after block 10", clitest::savedImage(),
         options([](BoardOptions& o) { o.faults.stopAfterBlocks = 10; }), "read", ExitCode::ReadFail, "Read Fail !",
         false},
        {"memory with a wrong image checksum", DefaultImage(), withSerial(), "read", ExitCode::ReadFail,
         "Checksum Error !", false},
        {"board data with a wrong checksum", clitest::savedImage(),
         options([](BoardOptions& o) { o.faults.wrongChecksum = {true, 2016}; }), "read", ExitCode::ReadFail, "", false},
        {"serial number with a wrong checksum", clitest::savedImage(),
         options([](BoardOptions& o) { o.serial = SerialBlockSetting::WrongChecksum; }), "read", ExitCode::ReadFail,
         "", false},
        {"version block with a wrong header", clitest::savedImage(),
         options([](BoardOptions& o) { o.faults.wrongHeader = {true, 1968}; }), "write", ExitCode::ReadFail, "", false},
        {"block 5 not acknowledged", clitest::savedImage(),
         options([](BoardOptions& o) { o.faults.noWriteAckAtBlock = 5; }), "write", ExitCode::WriteFail,
         "Write Fail !", true},
        {"a byte that reads back differently", clitest::savedImage(),
         options([](BoardOptions& o) { o.faults.corruptByte = 700; }), "write", ExitCode::VerifyFail, "Verify Fail !",
         true},
        {"a byte that reads back differently", clitest::savedImage(),
         options([](BoardOptions& o) { o.faults.corruptByte = 700; }), "verify", ExitCode::VerifyFail,
         "Verify Fail !", false},
        {"clock not acknowledged", clitest::savedImage(), options([](BoardOptions& o) { o.faults.noClockAck = true; }),
         "sync-time", ExitCode::WriteFail, "SYNC FAIL !", false},
        {"clock not acknowledged on write", clitest::savedImage(),
         options([](BoardOptions& o) { o.faults.noClockAck = true; }), "write", ExitCode::Success, "Write Success !",
         true},
    };
    for (const auto& c : cases) {
        startBoard(c.memory, c.options);
        const std::string file = save("file.tbl", clitest::savedImage());
        std::vector<std::string> args = {c.command, "--port", port()};
        if (c.command == "read") args.insert(args.end(), {"-o", path("out.tbl")});
        if (c.command == "write" || c.command == "verify") args.push_back(file);
        const auto result = run(args);
        EXPECT_EQ(result.code, toInt(c.code)) << c.what << "\n" << result.out << result.err;
        if (!c.outcome.empty()) {
            EXPECT_TRUE(result.out.ends_with(c.outcome + "\n")) << c.what << ": " << result.out;
        }
        EXPECT_EQ(board_->writeCount() > 0, c.writes) << c.what;
        EXPECT_FALSE(fs::exists(path("out.tbl"))) << c.what << ": a failed read leaves no file";
        board_.reset();
    }
}

TEST_F(CliOverPty, ReadFailuresTellTheProgramsOwnMessages) {
    BoardOptions options = withSerial();
    options.serial = SerialBlockSetting::WrongChecksum;
    startBoard(clitest::savedImage(), options);
    const auto read = run({"read", "--port", port(), "-o", path("out.tbl")});
    EXPECT_EQ(read.err, "Serial No. Checksum Error !\n");
    EXPECT_EQ(read.out, "");

    board_.reset();
    BoardOptions silent;
    silent.faults.silent = true;
    startBoard(clitest::savedImage(), silent);
    const auto info = run({"info", "--port", port()});
    EXPECT_EQ(info.err, "The Board is not responding ! \nPlease check your programer ready \nand COM port connect "
                        "properly !\n");
    EXPECT_EQ(info.out, "Port: " + port() + "\nThe Board is not responding !\n");
}

TEST_F(CliOverPty, MissingShortAndForeignFilesAreRefusedBeforeThePager) {
    startBoard(clitest::savedImage());
    std::ofstream(path("short.tbl"), std::ios::binary) << std::string(100, '\0');
    CodePlugImage foreign = clitest::savedImage();
    foreign.setText(1968, 10, "KM600 V119");
    const std::string foreignFile = save("foreign.tbl", foreign);
    const std::string missing = path("missing.tbl");
    fs::create_directories(path("folder.tbl"));
    const std::string folder = path("folder.tbl");
    // Nothing writes into the pipe: a plain open would wait for ever.
    ASSERT_EQ(::mkfifo(path("pipe.tbl").c_str(), 0644), 0);
    const std::string pipe = path("pipe.tbl");
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"write", "--port", port(), missing}, "km640-cli: cannot read " + missing + ": No such file or directory\n"},
        {{"verify", "--port", port(), path("short.tbl")},
         "km640-cli: " + path("short.tbl") + " is no code-plug: the file holds 100 bytes, a code-plug has 2048\n"},
        {{"production", "--port", port(), foreignFile, "--serial", "A1"},
         "km640-cli: " + foreignFile + ": The file is not KM640 code-plug file.\n"},
        {{"diff", "--port", port(), missing}, "km640-cli: cannot read " + missing + ": No such file or directory\n"},
        {{"dump", path("short.tbl")},
         "km640-cli: " + path("short.tbl") + " is no code-plug: the file holds 100 bytes, a code-plug has 2048\n"},
        {{"diff", missing, foreignFile}, "km640-cli: cannot read " + missing + ": No such file or directory\n"},
        {{"check", missing}, "km640-cli: cannot read " + missing + ": No such file or directory\n"},
        {{"dump", pipe}, "km640-cli: " + pipe + " is a named pipe, not a regular file\n"},
        {{"write", "--port", port(), pipe}, "km640-cli: " + pipe + " is a named pipe, not a regular file\n"},
        {{"check", folder}, "km640-cli: " + folder + " is a directory\n"},
        {{"diff", pipe, folder}, "km640-cli: " + pipe + " is a named pipe, not a regular file\n"},
        {{"read", "--port", port(), "-o", folder},
         "km640-cli: " + folder + " is a directory; the pager was not read.\n"},
        {{"read", "--port", port(), "-o", pipe},
         "km640-cli: " + pipe + " is a named pipe, not a regular file; the pager was not read.\n"},
    };
    for (const auto& c : cases) {
        const auto result = run(c.args);
        EXPECT_EQ(result.code, toInt(ExitCode::BadFile)) << c.args.front();
        EXPECT_EQ(result.err, c.err) << c.args.front();
    }
    EXPECT_EQ(board_->writeCount(), 0);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4) << "nothing was moved or added";
}

TEST_F(CliOverPty, ReadNeverDestroysAFile) {
    startBoard(clitest::savedImage(), withSerial());
    const std::string out = path("pager.tbl");
    CodePlugImage old = clitest::savedImage();
    old.setText(1536, 12, "OLDEST");
    save("pager.tbl", old);
    save("pager.BAK", clitest::savedImage());  // taken by an earlier backup

    const auto first = run({"read", "--port", port(), "-o", out});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.out, "Read Success !\nKept the previous " + out + " as " + path("pager.1.BAK") + "\n");
    EXPECT_EQ(load(path("pager.1.BAK")), old);
    EXPECT_EQ(load(path("pager.BAK")), clitest::savedImage());
    EXPECT_EQ(load(out), board_->memory());

    const auto second = run({"read", "--port", port(), "-o", out});
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(load(path("pager.2.BAK")), board_->memory());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4);
}

TEST_F(CliOverPty, UnknownAndBusyPortsAreExplained) {
    const auto unknown = run({"info", "--port", "ttyKM640nothere"});
    EXPECT_EQ(unknown.code, toInt(ExitCode::PortError));
    EXPECT_EQ(unknown.err, "km640-cli: No such port: /dev/ttyKM640nothere.\n\"km640-cli ports\" lists the ports of "
                           "this machine.\n");

    startBoard(clitest::savedImage());
    TCommPort holder;
    holder.OpenAt(9600, port(), 1);
    const auto busy = run({"read", "--port", port(), "-o", path("out.tbl")});
    EXPECT_EQ(busy.code, toInt(ExitCode::PortError));
    EXPECT_TRUE(busy.err.starts_with("km640-cli: Cannot open " + port() + ". Is another program using it?"))
        << busy.err;
    EXPECT_FALSE(fs::exists(path("out.tbl")));

    const auto usage = run({"read", "--port", port()});
    EXPECT_EQ(usage.code, toInt(ExitCode::Usage));
    EXPECT_EQ(usage.err, "km640-cli: read needs --output\nTry \"km640-cli --help\".\n");
}

TEST_F(CliOverPty, PortsInTheWindowsOrderWithTheirNames) {
    devices_.records = {{"ttyS1", ""}, {"/dev/pts/9", "km640-sim board"}, {"ttyUSB10", "FT232R USB UART"},
                        {"ttyUSB2", "CP2102 USB to UART"}};
    const auto ports = run({"ports"});
    EXPECT_EQ(ports.code, 0);
    EXPECT_EQ(ports.out, "ttyUSB2  CP2102 USB to UART\nttyUSB10  FT232R USB UART\nttyS1\n/dev/pts/9  km640-sim board\n");
}

TEST_F(CliOverPty, ProductionWriteWithItsDailyLog) {
    startBoard(clitest::savedImage(), withSerial());
    fs::create_directories(path("logs"));
    const std::string file = save("line.tbl", clitest::savedImage());
    const auto first = run({"production", "--port", port(), file, "--serial", "ZX9876543210", "--log-dir", path("logs")});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.out, "Write Success !\n");
    EXPECT_EQ(SerialNumberText(board_->memory()), "ZX9876543210");
    std::ifstream log(path("logs") + "/2010-03-07.log", std::ios::binary);
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str(), "-------  KM645 Programming (Barcode) Start ------- \r\n"
                          "2010-03-07 14:05:09  Serial No. = ZX9876543210  Write Success !\r\n");

    const int writes = board_->writeCount();
    const auto noLog = run({"production", "--port", port(), file, "--serial", "A1", "--log-dir", path("nowhere")});
    EXPECT_EQ(noLog.code, toInt(ExitCode::LogNotOpened));
    // The production record lives in the user's data folder, away from the
    // day's logs: the log's folder is what the line hears of.
    EXPECT_NE(noLog.err.find("cannot open the production log " + path("nowhere") + "/2010-03-07.log"),
              std::string::npos)
        << noLog.err;
    EXPECT_EQ(board_->writeCount(), writes) << "no pager is programmed without its log";
}

TEST_F(CliOverPty, ProductionOnAFullLogDiskTellsTheRealOutcome) {
    // The production record is on a server elsewhere, as on a line whose
    // stations share one: it still takes the run when the PC's disk is full.
    // (A record on the full disk refuses the run before the pager is touched.)
    if (!km640::testing::PostgresServer::findPrograms())
        GTEST_SKIP() << "PostgreSQL server programs (initdb, pg_ctl) are not installed; scripts/deps.sh installs them";
    km640::testing::PostgresServer server;
    ASSERT_TRUE(server.start()) << server.error();
    const std::string log = path("2010-03-07.log");
    // The morning's runs are in the log when the disk fills up.
    std::string morning = "-------  KM645 Programming (Barcode) Start ------- \r\n";
    for (int n = 0; n < 20; ++n) morning += "2010-03-07 09:00:00  Serial No. = ZX98765432" + std::to_string(10 + n) + "  Write Success !\r\n";
    const auto logText = [&] {
        std::stringstream text;
        text << std::ifstream(log, std::ios::binary).rdbuf();
        return text.str();
    };
    const std::string file = save("line.tbl", clitest::savedImage());
    BoardOptions failing = withSerial();
    failing.faults.noWriteAckAtBlock = 5;
    // Only a pager that was written gets 10; a failed write keeps its own
    // code, and both failures are said.
    const struct {
        const char* what;
        BoardOptions options;
        std::string outcome;
        ExitCode code;
        std::string said;
    } cases[] = {
        {"a pager written", withSerial(), "Write Success !", ExitCode::LogLineLost, "the pager was written (Write Success !), but"},
        {"a pager that refused a block", failing, "Write Fail !", ExitCode::WriteFail,
         "the pager was not programmed (Write Fail !), and"},
    };
    int database = 0;
    for (const auto& c : cases) {
        startBoard(clitest::savedImage(), c.options);
        std::ofstream(log, std::ios::binary) << morning;
        const std::string record = "full" + std::to_string(++database);
        ASSERT_TRUE(server.createDatabase(record));
        CliRun result;
        {
            // Room for a few more bytes, not for the run's line.
            FileSizeLimit full(morning.size() + 10);
            result = run({"production", "--port", port(), file, "--serial", "ZX9876543299", "--log-dir", dir_.string(),
                          "--record", server.url(record)});
        }
        EXPECT_EQ(result.code, toInt(c.code)) << c.what;
        EXPECT_EQ(result.out, c.outcome + "\n") << c.what;
        // The block the board did not acknowledge is named with what it means.
        const std::string explained = c.code == ExitCode::WriteFail
                                          ? "km640-cli: The programmer board on " + port() +
                                                " stopped answering during block 6 of 32: the pager may be "
                                                "half-written. Write it again.\n"
                                          : "";
        EXPECT_EQ(result.err, "Save Error!\n" + explained + "km640-cli: " + c.said +
                                  " its line could not be written to the production log " + log + ": File too large\n")
            << c.what;
        EXPECT_GT(board_->writeCount(), 0) << c.what;
        EXPECT_EQ(logText(), morning) << c.what << ": no half line";
        board_.reset();
    }
}

TEST_F(CliOverPty, InfoEscapesWhatTheSerialNumberHolds) {
    BoardOptions options = withSerial();
    options.serialNumber = std::string("A1\x1b[2J\\B\x07\xe9", 10);
    startBoard(clitest::savedImage(), options);
    const auto info = run({"info", "--port", port()});
    EXPECT_EQ(info.code, 0) << info.err;
    // Control bytes escaped; the pager's 8-bit letter shown as the letter it is.
    EXPECT_NE(info.out.find("\nSerial No.: A1\\x1B[2J\\\\B\\x07é\n"), std::string::npos) << info.out;
}

TEST_F(CliOverPty, WriteKeepsABackupOfThePagerFirst) {
    startBoard(DefaultImage(), withSerial());  // memory with a wrong image checksum: backed up as it is
    const CodePlugImage before = board_->memory();
    const auto write = run({"write", "--port", port(), save("a.tbl", clitest::savedImage()), "--backup", path("bk")});
    EXPECT_EQ(write.code, 0) << write.err;
    const std::string backup = path("bk") + "/km640-backup-20100307-140509-A1B2C3D4E5F6.tbl";
    EXPECT_EQ(write.out, "Backup: " + backup + "\nWrite Success !\n");
    EXPECT_EQ(load(backup), before);
    EXPECT_NE(board_->memory(), before);

    board_.reset();
    BoardOptions failing = withSerial();
    failing.faults.stopAfterBlocks = 3;
    startBoard(clitest::savedImage(), failing);
    const auto failed = run({"write", "--port", port(), path("a.tbl"), "--backup", path("bk2")});
    EXPECT_EQ(failed.code, toInt(ExitCode::ReadFail));
    EXPECT_EQ(failed.out, "Read Fail !\n");
    EXPECT_EQ(failed.err, "km640-cli: the pager could not be backed up; nothing was written.\n");
    EXPECT_EQ(board_->writeCount(), 0);
    EXPECT_FALSE(fs::exists(path("bk2")));
}

TEST_F(CliOverPty, DiffAgainstThePagerExplainsAFailedVerify) {
    startBoard(clitest::savedImage(), withSerial());
    const std::string same = save("same.tbl", board_->memory());
    const auto equal = run({"diff", "--port", port(), same});
    EXPECT_EQ(equal.code, 0) << equal.err;
    EXPECT_EQ(equal.out, "");

    CodePlugImage edited = board_->memory();
    edited.setText(1600, 12, "NIGHT");
    const std::string file = save("edited.tbl", edited);
    EXPECT_EQ(run({"verify", "--port", port(), file}).code, toInt(ExitCode::VerifyFail));
    const auto diff = run({"diff", "--port", port(), file});
    EXPECT_EQ(diff.code, toInt(ExitCode::Differences));
    EXPECT_EQ(diff.out, "--- " + file + "\n+++ " + port() + "\nProfile[1].PName (1600): \"NIGHT\" -> \" Profile 2\"\n");
}

TEST_F(CliOverPty, FileCommandsOnTheDefaultCodePlug) {
    const std::string file = save("default.tbl", DefaultImage());
    const auto dump = run({"dump", file});
    EXPECT_EQ(dump.code, 0);
    for (const char* expected : {"1568        1520000", "256         1285.8", "1520        0.95"})
        EXPECT_NE(dump.out.find(expected), std::string::npos) << expected;

    EXPECT_EQ(run({"diff", file, file}).out, "");
    EXPECT_EQ(run({"diff", file, file}).code, 0);
    CodePlugImage edited = DefaultImage();
    edited.setByte(1523, 0x55);
    const std::string other = save("other.tbl", edited);
    const auto diff = run({"diff", file, other});
    EXPECT_EQ(diff.code, toInt(ExitCode::Differences));
    EXPECT_EQ(diff.out, "--- " + file + "\n+++ " + other + "\nWbSquelch[1].Nrssi (1523): 0.95 -> 1.00\n");

    const auto bad = run({"check", file});
    EXPECT_EQ(bad.code, toInt(ExitCode::Differences));
    EXPECT_NE(bad.out.find("ImageChecksum: stored 0x"), std::string::npos);
    const auto good = run({"check", save("saved.tbl", clitest::savedImage())});
    EXPECT_EQ(good.code, 0) << good.out;
    EXPECT_EQ(good.out, "");
}
