#pragma once
// km640-cli run in-process against a simulated programmer board on a
// pseudo-terminal (pacing off), with a fixed clock and a fixed port list.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "codeplug/CodePlugFile.h"
#include "sim/PtyBoard.h"
#include "tests/cli/SavedImage.h"

namespace km640::cli {

namespace fs = std::filesystem;

const LocalDateTime kSunday{2010, 3, 7, 0, 14, 5, 9};

class FixedClock : public LocalClock {
public:
    LocalDateTime now() override { return kSunday; }
};

class FixedDevices : public SerialDeviceList {
public:
    std::vector<SerialDeviceRecord> records;
    std::vector<SerialDeviceRecord> devices() override { return records; }
};

// The record's clock: 2010-03-07 14:05:09 at UTC+1, the fixed local clock's
// moment; every look at the steady clock is 1.5 s after the one before. A
// run looks at it when it starts and when the pager has been written:
// onLook lets a test act at that moment (another station, say).
class FixedRecordClock : public RecordClock {
public:
    RunTime now() override { return time; }
    std::int64_t steadyMs() override {
        if (onLook) onLook(++looks);
        return steady += 1500;
    }
    RunTime time{1267967109000, 3600};
    std::int64_t steady = 0;
    int looks = 0;
    std::function<void(int)> onLook;
};

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

inline BoardOptions withSerial(BoardOptions options = {}) {
    options.serial = SerialBlockSetting::Number;
    options.serialNumber = "A1B2C3D4E5F6";
    return options;
}

class CliOverPty : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The serial port watches its device through the Qt core.
        static int argc = 1;
        static char name[] = "cli_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("km640-cli-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        dataFolder_ = dir_ / "data" / "km640";
    }
    void TearDown() override {
        board_.reset();
        fs::remove_all(dir_);
    }

    void startBoard(const CodePlugImage& memory, BoardOptions options = {}) {
        board_ = std::make_unique<PtyBoard>(PagerBoard(memory, std::move(options)), false);
    }
    const std::string& port() const { return board_->slavePath(); }

    // input: what a barcode scanner types on standard input.
    CliRun run(std::vector<std::string> args, const std::string& input = {}) {
        std::ostringstream out, err;
        std::istringstream in(input);
        PortSystemView system;
        system.self = getpid();
        CliContext context{out, err, false, clock_, devices_, system};
        context.in = &in;
        context.hostName = "bench-pc";
        context.recordEnvironment = recordEnvironment_;
        context.dataFolder = dataFolder_;
        context.recordClock = &recordClock_;
        RosterCheckCache rosterChecks(cacheFolder_);  // each run its own memory, as each process
        context.rosterChecks = &rosterChecks;
        context.inIsTerminal = inIsTerminal_;
        const int code = runCli(args, context);
        return {code, out.str(), err.str()};
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    // This PC's production record, where km640-cli keeps it by default.
    std::string recordFile() const { return (dataFolder_ / "km640-production.sqlite").string(); }
    std::string save(const std::string& name, const CodePlugImage& image) const {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
        return path(name);
    }
    CodePlugImage load(const std::string& file) const {
        const auto read = ReadCodePlugFile(file);
        EXPECT_EQ(read.status, CodePlugFileRead::Status::Ok) << file;
        CodePlugImage image;
        image.bytes() = read.bytes;
        return image;
    }

    FixedClock clock_;
    FixedRecordClock recordClock_;
    std::string recordEnvironment_;  // KM640_RECORD as the test sets it
    bool inIsTerminal_ = false;      // standard input as an operator's terminal
    fs::path cacheFolder_;           // the user's cache folder for km640; none when empty
    fs::path dataFolder_;            // the user's data folder for km640, in dir_ (SetUp)
    FixedDevices devices_;
    fs::path dir_;
    std::unique_ptr<PtyBoard> board_;
};

}  // namespace km640::cli
