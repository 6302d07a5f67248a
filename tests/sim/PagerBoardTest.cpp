#include "sim/PagerBoard.h"

#include <gtest/gtest.h>

#include <functional>

#include "link/Frame.h"

using namespace km640;

namespace {

const std::array<std::uint8_t, 2> kResetData{0x72, 0x00};
const std::array<std::uint8_t, 16> kClockPayload{0x09, 0x05, 0x14, 0x00, 0x07, 0x03, 0x10, 0x00,
                                                 0, 0, 0, 0, 0, 0, 0, 0x28};

FrameBytes readRequest(int address, int count) {
    return BuildReadRequestFrame('3', 'R', static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(count));
}
FrameBytes compareRequest(int address) { return BuildCompareRequestFrame('3', 'R', static_cast<std::uint16_t>(address), 64); }
FrameBytes writeRequest(int address, std::uint8_t fill) {
    const FrameBytes data(64, fill);
    return BuildWriteBlockFrame('3', 'S', static_cast<std::uint16_t>(address), data);
}
FrameBytes clockRequest() { return BuildCommandFrame('5', 'U', kClockPayload); }
FrameBytes resetRequest() { return BuildCommandFrame('5', 'S', kResetData); }

// The board's only reply to one request, or none.
std::optional<FrameBytes> ask(PagerBoard& board, const FrameBytes& request) {
    const auto replies = board.Receive(request);
    EXPECT_LE(replies.size(), 1u);
    if (replies.empty()) return std::nullopt;
    EXPECT_EQ(replies[0].requestLength, request.size());
    return replies[0].bytes;
}

FrameBytes memoryBytes(const PagerBoard& board, int address, int count) {
    const auto s = board.memory().span(address, count);
    return FrameBytes(s.begin(), s.end());
}

PagerBoard boardWith(std::function<void(BoardOptions&)> configure = {}) {
    BoardOptions options;
    if (configure) configure(options);
    return PagerBoard(DefaultImage(), options);
}

}  // namespace

struct ExchangeCase {
    const char* what;
    FrameBytes request;
    std::size_t replyLength;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) { *os << c.what; }

class EveryExchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(EveryExchange, GetsAReplyThePcAccepts) {
    auto board = boardWith();
    const auto reply = ask(board, GetParam().request);
    ASSERT_TRUE(reply) << GetParam().what;
    EXPECT_EQ(reply->size(), GetParam().replyLength) << GetParam().what;
    const auto& r = GetParam().request;
    if (r == resetRequest())
        EXPECT_TRUE(AckMatches(*reply, ResetAck));
    else if (r == clockRequest())
        EXPECT_TRUE(AckMatches(*reply, ClockAck));
    else if (r[12] == 'S')
        EXPECT_TRUE(AckMatches(*reply, WriteAck));
    else
        EXPECT_TRUE(DataReplyValid(*reply, '3', 'R', GetParam().replyLength - kDataReplyOverhead)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Pager, EveryExchange,
    ::testing::Values(ExchangeCase{"probe", readRequest(0, 1), 16},
                      ExchangeCase{"identification block", readRequest(1968, 16), 31},
                      ExchangeCase{"board data block", readRequest(2016, 32), 47},
                      ExchangeCase{"serial number block", readRequest(1952, 16), 31},
                      ExchangeCase{"last memory block", readRequest(1984, 64), 79},
                      ExchangeCase{"compare of a block", compareRequest(640), 79},
                      ExchangeCase{"write block", writeRequest(1984, 0x11), 16},
                      ExchangeCase{"clock", clockRequest(), 16}, ExchangeCase{"reset", resetRequest(), 17}));

TEST(PagerBoard, ReadsMemoryAndWritesIntoIt) {
    auto board = boardWith();
    ASSERT_TRUE(ask(board, writeRequest(320, 0xA5)));
    const auto reply = ask(board, readRequest(320, 64));
    ASSERT_TRUE(reply);
    const auto data = DataReplyPayload(*reply, 64);
    EXPECT_EQ(FrameBytes(data.begin(), data.end()), FrameBytes(64, 0xA5));
    EXPECT_EQ(memoryBytes(board, 320, 64), FrameBytes(64, 0xA5));
    EXPECT_EQ(board.writeCount(), 1);
}

TEST(PagerBoard, RecordsClockAndResets) {
    auto board = boardWith();
    ask(board, clockRequest());
    ask(board, resetRequest());
    ask(board, resetRequest());
    EXPECT_EQ(board.lastClockPayload(), kClockPayload);
    EXPECT_EQ(board.resetCount(), 2);
}

TEST(PagerBoard, RequestsArriveInPiecesAndAfterLineNoise) {
    auto board = boardWith();
    FrameBytes stream{0x00, 0x4B, 0xAA, 0x13};  // noise, a lone "K", a lone lead byte
    const auto probe = readRequest(0, 1);
    stream.insert(stream.end(), probe.begin(), probe.end());
    std::size_t replies = 0;
    for (auto byte : stream) replies += board.Receive(std::span<const std::uint8_t>(&byte, 1)).size();
    EXPECT_EQ(replies, 1u);
}

TEST(PagerBoard, RequestWithABadChecksumGetsNoReplyAndDoesNotBlockTheNext) {
    auto board = boardWith();
    auto damaged = writeRequest(0, 0x77);
    damaged.back() ^= 0x01;
    EXPECT_FALSE(ask(board, damaged));
    EXPECT_EQ(memoryBytes(board, 0, 64), memoryBytes(boardWith(), 0, 64)) << "nothing written";
    EXPECT_TRUE(ask(board, readRequest(0, 1)));
}

TEST(PagerBoard, RequestsBeyondTheMemoryGetNoReply) {
    auto board = boardWith();
    EXPECT_FALSE(ask(board, readRequest(2040, 64)));
    EXPECT_FALSE(ask(board, BuildWriteBlockFrame('3', 'S', 2047, FrameBytes(2, 0))));
}

struct SetupCase {
    const char* what;
    std::function<void(BoardOptions&)> configure;
    int address;
    FrameBytes expected;
};

void PrintTo(const SetupCase& c, std::ostream* os) { *os << c.what; }

class PagerSetup : public ::testing::TestWithParam<SetupCase> {};

TEST_P(PagerSetup, IsInTheMemory) {
    EXPECT_EQ(memoryBytes(boardWith(GetParam().configure), GetParam().address, static_cast<int>(GetParam().expected.size())),
              GetParam().expected)
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Options, PagerSetup,
    ::testing::Values(
        SetupCase{"firmware 1.2.10 by default", {}, 2016, {1, 2, 10}},
        SetupCase{"firmware as given", [](BoardOptions& o) { o.firmware = {2, 0, 7}; }, 2016, {2, 0, 7}},
        SetupCase{"no serial number", [](BoardOptions& o) { o.serial = SerialBlockSetting::Blank; }, 1952, FrameBytes(16, 0xFF)},
        SetupCase{"serial number with its checksum",
                  [](BoardOptions& o) {
                      o.serial = SerialBlockSetting::Number;
                      o.serialNumber = "A1";
                  },
                  1952, {'A', '1', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x72}},
        SetupCase{"serial number with a checksum one off",
                  [](BoardOptions& o) {
                      o.serial = SerialBlockSetting::WrongChecksum;
                      o.serialNumber = "A1";
                  },
                  1952, {'A', '1', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x73}},
        SetupCase{"software version 116", [](BoardOptions& o) { o.softwareVersion = 116; }, 1982, {0x01, 0x16}}));

struct FaultCase {
    const char* what;
    std::function<void(BoardFaults&)> fault;
    FrameBytes request;
    // Checks the reply (empty: none came).
    std::function<bool(const std::optional<FrameBytes>&)> expected;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }

class BoardFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(BoardFault, ShowsInTheReply) {
    auto board = boardWith([](BoardOptions& o) { GetParam().fault(o.faults); });
    EXPECT_TRUE(GetParam().expected(ask(board, GetParam().request))) << GetParam().what;
}

namespace {
bool none(const std::optional<FrameBytes>& r) { return !r; }
bool valid64(const std::optional<FrameBytes>& r) { return r && DataReplyValid(*r, '3', 'R', 64); }
bool writeAcked(const std::optional<FrameBytes>& r) { return r && AckMatches(*r, WriteAck); }
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Faults, BoardFault,
    ::testing::Values(
        FaultCase{"silent board", [](BoardFaults& f) { f.silent = true; }, readRequest(0, 1), none},
        FaultCase{"wrong checksum",
                  [](BoardFaults& f) { f.wrongChecksum.enabled = true; }, readRequest(0, 64),
                  [](const auto& r) { return r && !ReplyChecksumValid(*r) && r->size() == 79; }},
        FaultCase{"wrong checksum at another address",
                  [](BoardFaults& f) { f.wrongChecksum = {true, 64}; }, readRequest(0, 64), valid64},
        FaultCase{"wrong header keeps its checksum right",
                  [](BoardFaults& f) { f.wrongHeader.enabled = true; }, readRequest(0, 64),
                  [](const auto& r) { return r && ReplyChecksumValid(*r) && !DataReplyValid(*r, '3', 'R', 64); }},
        FaultCase{"noise before the reply",
                  [](BoardFaults& f) { f.noise.enabled = true; }, writeRequest(0, 0),
                  [](const auto& r) { return r && r->size() == 18 && AckMatches(std::span(*r).subspan(2), WriteAck); }},
        FaultCase{"no write acknowledgement at block 5",
                  [](BoardFaults& f) { f.noWriteAckAtBlock = 5; }, writeRequest(320, 0), none},
        FaultCase{"write acknowledged at other blocks",
                  [](BoardFaults& f) { f.noWriteAckAtBlock = 5; }, writeRequest(384, 0), writeAcked},
        FaultCase{"a byte that reads back inverted",
                  [](BoardFaults& f) { f.corruptByte = 130; }, compareRequest(128),
                  [](const auto& r) {
                      return valid64(r) && (*r)[kReplyDataOffset + 2] == static_cast<std::uint8_t>(~DefaultImage().byte(130));
                  }},
        FaultCase{"no clock acknowledgement", [](BoardFaults& f) { f.noClockAck = true; }, clockRequest(), none},
        FaultCase{"no reset acknowledgement", [](BoardFaults& f) { f.noResetAck = true; }, resetRequest(), none}));

TEST(PagerBoard, StoppedBoardAnswersItsBlocksThenNothingAtAll) {
    auto board = boardWith([](BoardOptions& o) { o.faults.stopAfterBlocks = 10; });
    EXPECT_TRUE(ask(board, readRequest(2016, 32))) << "identification reads are no blocks";
    for (int block = 0; block < 10; ++block) EXPECT_TRUE(ask(board, readRequest(block * 64, 64))) << block;
    EXPECT_FALSE(ask(board, readRequest(640, 64)));
    EXPECT_FALSE(ask(board, readRequest(0, 1)));
    EXPECT_FALSE(ask(board, resetRequest()));
}

TEST(PagerBoard, UnacknowledgedWriteLeavesTheMemoryAlone) {
    auto board = boardWith([](BoardOptions& o) { o.faults.noWriteAckAtBlock = 5; });
    ask(board, writeRequest(320, 0x99));
    EXPECT_EQ(memoryBytes(board, 320, 64), memoryBytes(boardWith(), 320, 64));
    EXPECT_EQ(board.writeCount(), 0);
}

TEST(PagerBoard, CommandsWithoutAcknowledgementStillReachThePager) {
    auto board = boardWith([](BoardOptions& o) {
        o.faults.noClockAck = true;
        o.faults.noResetAck = true;
    });
    ask(board, clockRequest());
    ask(board, resetRequest());
    EXPECT_EQ(board.lastClockPayload(), kClockPayload);
    EXPECT_EQ(board.resetCount(), 1);
}
