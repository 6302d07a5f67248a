// Ctrl-C, kill and a closed terminal in the middle of a pager: a real
// km640-cli program against a km640-sim program that answers at the pace of
// a 9600-baud line and saves its memory after every written block. The
// signal is sent once the simulator has saved a few blocks, that is, with the
// write under way; then the simulator's memory, the day's log and the
// production record tell what became of the pager.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "tests/cli/SavedImage.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/MemorySaves.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

const std::string kSerial = "KM640SIG00001";

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CliSignalTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-signal-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "run");
        fs::create_directories(folder_ / "logs");
        fs::create_directories(folder_ / "board");
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        codePlug_ = save(folder_ / "line.tbl", clitest::savedImage());
        // The pager in the board holds another code-plug, so that a block
        // written shows in its memory.
        CodePlugImage before = clitest::savedImage();
        for (std::size_t i = 0; i < 1900; ++i) before.bytes()[i] = static_cast<std::uint8_t>(i * 7 + 3);
        ImageChecksum(before);  // a pager that reads without complaint
        memory_ = folder_ / "board" / "memory.tbl";
        save(memory_, before);
        saves_ = std::make_unique<MemorySaves>(memory_);
        const auto port = startSimulator(sim_, KM640_SIM_PROGRAM, {"--memory", memory_.string(), "--save"});
        ASSERT_TRUE(port && !port->empty());
        port_ = *port;
        record_ = (folder_ / "record.sqlite").string();
    }
    void TearDown() override {
        cli_.stop();
        sim_.stop();
        fs::remove_all(folder_);
    }

    static std::string save(const fs::path& path, const CodePlugImage& image) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
        return path.string();
    }

    void startCli(std::vector<std::string> args) {
        args.insert(args.begin(), KM640_CLI_PROGRAM);
        fs::remove(folder_ / "cli.err");  // each run's own messages
        ASSERT_TRUE(cli_.start(args, (folder_ / "cli.err").string()));
    }
    std::vector<std::string> production(const std::string& serialOption) {
        std::vector<std::string> args{"production", "--port", port_,     codePlug_, "--record",
                                      record_,      "--log-dir", (folder_ / "logs").string()};
        if (serialOption.empty()) {
            args.push_back("--serial-from-stdin");
        } else {
            args.push_back("--serial");
            args.push_back(serialOption);
        }
        return args;
    }

    // Runs another km640-cli to its end; its exit status and output.
    std::pair<int, std::string> run(std::vector<std::string> args) {
        ChildProgram program;
        args.insert(args.begin(), KM640_CLI_PROGRAM);
        if (!program.start(args)) return {-1, {}};
        program.closeInput();
        std::string out;
        while (const auto line = program.readLine()) out += *line + "\n";
        return {program.wait(), out};
    }
    // Whether the pager holds the code-plug as a write puts it there.
    int verifyExitCode() { return run({"verify", "--port", port_, codePlug_}).first; }
    std::string recordCsv() { return run({"records", "--record", record_, "--csv"}).second; }
    std::string logText() {
        std::string text;
        for (const auto& entry : fs::directory_iterator(folder_ / "logs"))
            if (entry.path().extension() == ".log") text += fileText(entry.path());
        return text;
    }
    std::string errText() { return fileText(folder_ / "cli.err"); }

    fs::path folder_;
    fs::path memory_;
    std::string codePlug_;
    std::string port_;
    std::string record_;
    ChildProgram sim_;
    ChildProgram cli_;
    std::unique_ptr<MemorySaves> saves_;
};

// Whether the process catches the signal (SigCgt in /proc), looked at every
// 10 ms for at most 20 s.
bool catchesSignal(pid_t pid, int signal) {
    for (int tries = 0; tries < 2000; ++tries) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("SigCgt:") && (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1u))
                return true;
        const timespec pause{0, 10'000'000};
        nanosleep(&pause, nullptr);
    }
    return false;
}

struct SignalCase {
    const char* name;
    int signal;
    bool production;  // else write
};

const SignalCase kStopSignals[] = {
    {"SIGINT, production", SIGINT, true}, {"SIGTERM, write", SIGTERM, false}, {"SIGHUP, production", SIGHUP, true}};

}  // namespace

// One signal in the middle of the blocks: the pager is finished, logged and
// recorded as programmed, and the command ends with the write's own code.
TEST_F(CliSignalTest, FirstSignalFinishesThePagerUnderWay) {
    for (const auto& c : kStopSignals) {
        SCOPED_TRACE(c.name);
        const std::string serial = kSerial + std::to_string(&c - kStopSignals);
        startCli(c.production ? production(serial) : std::vector<std::string>{"write", "--port", port_, codePlug_});
        ASSERT_TRUE(saves_->waitFor(3 + 32 * static_cast<int>(&c - kStopSignals)));
        ASSERT_EQ(kill(cli_.pid(), c.signal), 0);
        std::string out;
        while (const auto line = cli_.readLine()) out += *line + "\n";
        EXPECT_EQ(cli_.wait(), 0) << out << errText();
        EXPECT_NE(out.find("Write Success !"), std::string::npos) << out;
        EXPECT_NE(errText().find("stopped by a signal; the operation under way was finished first"),
                  std::string::npos)
            << errText();
        EXPECT_EQ(verifyExitCode(), 0);
        if (!c.production) continue;
        EXPECT_NE(logText().find("Serial No. = " + serial + "  Write Success !\r\n"), std::string::npos)
            << logText();
        const std::string csv = recordCsv();
        EXPECT_NE(csv.find("," + serial + ",1.2.10,Write Success !,programmed,"), std::string::npos) << csv;
    }
}

// A second signal stops after the block being exchanged: the pager is left
// half-written, and the log, the record and the exit code say so.
TEST_F(CliSignalTest, SecondSignalStopsAfterTheBlockUnderWay) {
    startCli(production(kSerial));
    ASSERT_TRUE(saves_->waitFor(3));
    ASSERT_EQ(kill(cli_.pid(), SIGTERM), 0);
    ASSERT_EQ(kill(cli_.pid(), SIGINT), 0);
    std::string out;
    while (const auto line = cli_.readLine()) out += *line + "\n";
    EXPECT_EQ(cli_.wait(), 15) << out << errText();
    EXPECT_NE(out.find("Write Interrupted !"), std::string::npos) << out;
    EXPECT_NE(errText().find("the pager is not written whole"), std::string::npos) << errText();
    EXPECT_NE(logText().find("Serial No. = " + kSerial + "  Write Interrupted !\r\n"), std::string::npos)
        << logText();
    const std::string csv = recordCsv();
    EXPECT_NE(csv.find("," + kSerial + ",1.2.10,Write Interrupted !,failed,"), std::string::npos) << csv;
    EXPECT_EQ(csv.find(",running,"), std::string::npos) << csv;
    // Not every block reached the pager.
    EXPECT_EQ(verifyExitCode(), 8);
}

// --serial-from-stdin: a signal during a pager finishes it and reads no
// further label; a signal at the prompt ends the run as Ctrl-D does. Either
// way the summary line closes the output.
TEST_F(CliSignalTest, ScannedLabelsEndWithTheSummary) {
    startCli(production(""));
    ASSERT_TRUE(cli_.write(kSerial + "1\n"));
    ASSERT_TRUE(saves_->waitFor(3));
    ASSERT_EQ(kill(cli_.pid(), SIGINT), 0);
    // Scanned after the signal: not programmed.
    ASSERT_TRUE(cli_.write(kSerial + "2\n"));
    std::vector<std::string> lines;
    while (const auto line = cli_.readLine()) lines.push_back(*line);
    EXPECT_EQ(cli_.wait(), 0) << errText();
    ASSERT_EQ(lines.size(), 2u) << errText();
    EXPECT_NE(lines[0].find(kSerial + "1  Write Success !"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "Programmed: 1  Failed: 0  Refused: 0");
    EXPECT_EQ(logText().find(kSerial + "2"), std::string::npos);
    EXPECT_EQ(recordCsv().find(kSerial + "2"), std::string::npos);

    // At the prompt, with the input still open.
    startCli(production(""));
    ASSERT_TRUE(cli_.write(kSerial + "3\n"));
    const auto programmed = cli_.readLine();
    ASSERT_TRUE(programmed);
    EXPECT_NE(programmed->find(kSerial + "3  Write Success !"), std::string::npos) << *programmed;
    ASSERT_EQ(kill(cli_.pid(), SIGHUP), 0);
    EXPECT_EQ(cli_.readLine(), "Programmed: 1  Failed: 0  Refused: 0");
    EXPECT_EQ(cli_.wait(), 0) << errText();
}

// read -o: a read stopped by signals leaves no file, not even half of one.
TEST_F(CliSignalTest, StoppedReadLeavesNoFile) {
    const fs::path out = folder_ / "read.tbl";
    startCli({"read", "--port", port_, "-o", out.string()});
    // The signals are sent once the program catches them; the read has then
    // begun or is about to.
    ASSERT_TRUE(catchesSignal(cli_.pid(), SIGINT));
    // Two different signals: two of the same kind sent at once may arrive as one.
    ASSERT_EQ(kill(cli_.pid(), SIGINT), 0);
    ASSERT_EQ(kill(cli_.pid(), SIGTERM), 0);
    const int status = cli_.wait();
    // Stopped before or during the read, never with a file.
    EXPECT_EQ(status, 15) << errText();
    for (const auto& entry : fs::directory_iterator(folder_))
        EXPECT_EQ(entry.path().filename().string().find("read"), std::string::npos) << entry.path();
}
