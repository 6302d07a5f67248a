#include "sim/SimCommandLine.h"

#include <gtest/gtest.h>

#include <functional>

using namespace km640;

namespace {

SimCommandLine parse(QStringList args) {
    args.prepend("km640-sim");
    return ParseSimCommandLine(args);
}

}  // namespace

struct LineCase {
    QStringList args;
    std::function<bool(const SimSettings&)> holds;
};

void PrintTo(const QStringList& args, std::ostream* os) { *os << (args.isEmpty() ? "no options" : args.join(' ').toStdString()); }
void PrintTo(const LineCase& c, std::ostream* os) { PrintTo(c.args, os); }

class UnderstoodLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(UnderstoodLine, SetsTheBoard) {
    const auto line = parse(GetParam().args);
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_TRUE(GetParam().holds(line.settings)) << GetParam().args.join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Options, UnderstoodLine,
    ::testing::Values(
        LineCase{{}, [](const SimSettings& s) {
                     return s.pacing && s.memoryFile.empty() && s.board.firmware == std::array<std::uint8_t, 3>{1, 2, 10} &&
                            !s.board.faults.silent && s.board.serial == SerialBlockSetting::AsInMemory;
                 }},
        LineCase{{"--no-pacing", "--memory", "pager.tbl", "--save"},
                 [](const SimSettings& s) { return !s.pacing && s.memoryFile == "pager.tbl" && s.save; }},
        LineCase{{"--firmware", "2.0.255", "--software-version", "116"},
                 [](const SimSettings& s) {
                     return s.board.firmware == std::array<std::uint8_t, 3>{2, 0, 255} && s.board.softwareVersion == 116;
                 }},
        LineCase{{"--serial-bad-checksum", "A1B2C3D4E5F6"},
                 [](const SimSettings& s) {
                     return s.board.serial == SerialBlockSetting::WrongChecksum && s.board.serialNumber == "A1B2C3D4E5F6";
                 }},
        LineCase{{"--wrong-checksum-at", "0x7E0", "--noise"},
                 [](const SimSettings& s) {
                     const auto& f = s.board.faults;
                     return f.wrongChecksum.enabled && f.wrongChecksum.address == 2016 && f.noise.enabled && !f.noise.address;
                 }},
        LineCase{{"--stop-after-blocks", "10", "--no-write-ack-at-block", "5", "--corrupt-byte", "700", "--no-reset-ack"},
                 [](const SimSettings& s) {
                     const auto& f = s.board.faults;
                     return f.stopAfterBlocks == 10 && f.noWriteAckAtBlock == 5 && f.corruptByte == 700 && f.noResetAck &&
                            !f.noClockAck;
                 }},
        LineCase{{}, [](const SimSettings& s) { return !s.websocket; }},
        LineCase{{"--websocket", "127.0.0.1:8641"},
                 [](const SimSettings& s) { return s.websocket == WebSocketEndpoint{"127.0.0.1", 8641}; }},
        LineCase{{"--websocket", "localhost:0"},
                 [](const SimSettings& s) { return s.websocket == WebSocketEndpoint{"127.0.0.1", 0}; }},
        LineCase{{"--websocket", "[::1]:65535"},
                 [](const SimSettings& s) { return s.websocket == WebSocketEndpoint{"::1", 65535}; }}));

class RefusedLine : public ::testing::TestWithParam<QStringList> {};

TEST_P(RefusedLine, IsExplained) { EXPECT_FALSE(parse(GetParam()).error.isEmpty()) << GetParam().join(' ').toStdString(); }

INSTANTIATE_TEST_SUITE_P(Options, RefusedLine,
                         ::testing::Values(QStringList{"--firmware", "1.2"}, QStringList{"--firmware", "1.2.256"},
                                           QStringList{"--no-write-ack-at-block", "32"},
                                           QStringList{"--corrupt-byte", "2048"}, QStringList{"--software-version", "x"},
                                           QStringList{"--serial", "123456789012345"},
                                           QStringList{"--serial", "1", "--serial-blank"}, QStringList{"--save"},
                                           QStringList{"--bogus"}, QStringList{"stray"},
                                           // Nobody but this machine reaches the board.
                                           QStringList{"--websocket", "0.0.0.0:8641"}, QStringList{"--websocket", "192.168.1.20:8641"},
                                           QStringList{"--websocket", "127.0.0.1"}, QStringList{"--websocket", "127.0.0.1:65536"},
                                           QStringList{"--websocket", "pager.example:8641"}, QStringList{"--websocket", ":8641"}));

TEST(SimCommandLine, HelpNamesTheProgram) {
    const auto line = parse({"--help"});
    EXPECT_TRUE(line.helpRequested);
    EXPECT_TRUE(line.helpText.startsWith("Usage: km640-sim")) << line.helpText.toStdString();
    EXPECT_TRUE(line.helpText.contains("--version"));
    EXPECT_TRUE(parse({"--version"}).versionRequested);
    EXPECT_FALSE(line.versionRequested);
}
