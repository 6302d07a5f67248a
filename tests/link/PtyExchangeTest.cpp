// Every exchange the program makes, end to end: the frame session on the
// real serial port, a simulated board on the other side of a pseudo-terminal.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <memory>

#include "codeplug/CodePlugImage.h"
#include "link/ECommError.h"
#include "link/FrameSession.h"
#include "link/TCommPort.h"
#include "sim/PtyBoard.h"

using namespace km640;

namespace {

constexpr int kBlocks = 32;
const std::array<std::uint8_t, 2> kResetData{0x72, 0x00};

PagerBoard::ClockPayload clockPayload() {
    // Sunday 7 March 2010, 14:05:09, then the image byte at 167, seven zeros and 0x28.
    return {0x09, 0x05, 0x14, 0x00, 0x07, 0x03, 0x10, DefaultImage().byte(167), 0, 0, 0, 0, 0, 0, 0, 0x28};
}

class Exchange : public ::testing::Test {
protected:
    void Start(BoardOptions options = {}, bool pacing = false) {
        board = std::make_unique<PtyBoard>(PagerBoard(DefaultImage(), options), pacing);
        port.OpenAt(9600, board->slavePath(), 1);
        port.Purge();
    }
    bool Probe(FrameSession& session) {
        std::array<std::uint8_t, 1> byte{};
        return session.RequestRead('3', 'R', byte, 0, 1);
    }

    TCommPort port;
    std::unique_ptr<PtyBoard> board;
};

}  // namespace

TEST_F(Exchange, ProbeAndIdentificationBlocks) {
    BoardOptions options;
    options.firmware = {1, 2, 10};
    options.serial = SerialBlockSetting::Number;
    options.serialNumber = "A1B2C3D4E5F6";
    options.softwareVersion = 116;
    Start(options);
    FrameSession session(port);
    const auto memory = board->memory();

    std::array<std::uint8_t, 1> probe{0xEE};
    ASSERT_TRUE(session.RequestRead('3', 'R', probe, 0, 1));
    EXPECT_EQ(probe[0], memory.byte(0));

    struct Block {
        int address, count;
    };
    for (const auto& block : {Block{1968, 16}, Block{2016, 32}, Block{1952, 16}}) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(block.count), 0);
        ASSERT_TRUE(session.RequestRead('3', 'R', bytes, block.address, block.count)) << block.address;
        const auto expected = memory.span(block.address, block.count);
        EXPECT_TRUE(std::ranges::equal(bytes, expected)) << block.address;
    }
    EXPECT_EQ(memory.byte(2016), 1);
    EXPECT_EQ(memory.byte(2018), 10);
    EXPECT_EQ(memory.byte(1982), 0x01);
    EXPECT_EQ(memory.byte(1983), 0x16);
    EXPECT_TRUE(SerialBlockValid(memory.span(ident::kSerialNo, 16)));
}

TEST_F(Exchange, FullMemoryReadIn32Blocks) {
    Start();
    FrameSession session(port);
    CodePlugImage read;
    for (int block = 0; block < kBlocks; ++block)
        ASSERT_TRUE(session.RequestRead('3', 'R', std::span<std::uint8_t>(read.bytes()).subspan(static_cast<std::size_t>(block * 64)),
                                        block * 64, 64))
            << block;
    EXPECT_EQ(read, board->memory());
}

TEST_F(Exchange, ReadWhileTheWindowHandlesItsEvents) {
    // The window's event loop pulls reply bytes in on its own; none may be lost.
    Start({}, true);
    FrameSession session(port, [] { QCoreApplication::processEvents(); });
    CodePlugImage read;
    for (int block = 0; block < 4; ++block)
        ASSERT_TRUE(session.RequestRead('3', 'R', std::span<std::uint8_t>(read.bytes()).subspan(static_cast<std::size_t>(block * 64)),
                                        block * 64, 64))
            << block;
    EXPECT_TRUE(std::ranges::equal(read.span(0, 256), board->memory().span(0, 256)));
}

TEST_F(Exchange, WriteEveryBlockWithAcknowledgementAndCompare) {
    Start();
    FrameSession session(port);
    CodePlugImage image = DefaultImage();
    image.setText(1376, 12, "  WRITTEN   ");
    image.setByte(2047, 0x5A);
    ImageChecksum(image);
    const std::span<const std::uint8_t> bytes(image.bytes());
    for (int block = 0; block < kBlocks; ++block) {
        ASSERT_TRUE(session.SendWriteBlock('3', 'S', bytes, block * 64, 64)) << block;
        ASSERT_TRUE(session.RequestCompare('3', 'R', bytes, block * 64, 64)) << block;
    }
    EXPECT_EQ(board->memory(), image);
    EXPECT_EQ(board->writeCount(), kBlocks);
}

TEST_F(Exchange, CompareFailsOnlyForTheBlockWithAByteThatReadsBackDifferently) {
    BoardOptions options;
    options.faults.corruptByte = 700;  // block 10
    Start(options);
    FrameSession session(port);
    CodePlugImage image = board->memory();
    const std::span<const std::uint8_t> bytes(image.bytes());
    EXPECT_TRUE(session.RequestCompare('3', 'R', bytes, 9 * 64, 64));
    EXPECT_FALSE(session.RequestCompare('3', 'R', bytes, 10 * 64, 64));
    EXPECT_TRUE(session.RequestCompare('3', 'R', bytes, 11 * 64, 64));
}

TEST_F(Exchange, ClockAndResetAreAcknowledged) {
    Start();
    FrameSession session(port);
    const auto payload = clockPayload();
    EXPECT_TRUE(session.SendCommand('5', 'U', payload));
    EXPECT_TRUE(session.SendCommand('5', 'S', kResetData));
    EXPECT_EQ(board->lastClockPayload(), payload);
    EXPECT_EQ(board->resetCount(), 1);
}

TEST_F(Exchange, PacedBoardAnswersLikeTheLine) {
    Start({}, true);
    FrameSession session(port);
    std::vector<std::uint8_t> block(64, 0);
    ASSERT_TRUE(session.RequestRead('3', 'R', block, 1984, 64));
    EXPECT_TRUE(std::ranges::equal(block, board->memory().span(1984, 64)));
}

struct FaultCase {
    const char* what;
    std::function<void(BoardFaults&)> fault;
    // Runs the exchanges up to the one that must fail; returns that one's result.
    std::function<bool(FrameSession&, const CodePlugImage&)> exchange;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }

class FaultyBoard : public Exchange, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultyBoard, FailsTheExchange) {
    BoardOptions options;
    GetParam().fault(options.faults);
    Start(options);
    FrameSession session(port);
    EXPECT_FALSE(GetParam().exchange(session, DefaultImage())) << GetParam().what;
}

namespace {
bool probe(FrameSession& s, const CodePlugImage&) {
    std::array<std::uint8_t, 1> byte{};
    return s.RequestRead('3', 'R', byte, 0, 1);
}
bool readBlock(FrameSession& s, int block) {
    std::vector<std::uint8_t> bytes(64, 0);
    return s.RequestRead('3', 'R', bytes, block * 64, 64);
}
bool writeBlock(FrameSession& s, const CodePlugImage& image, int block) {
    return s.SendWriteBlock('3', 'S', std::span<const std::uint8_t>(image.bytes()), block * 64, 64);
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyBoard,
    ::testing::Values(
        FaultCase{"silent board", [](BoardFaults& f) { f.silent = true; }, probe},
        FaultCase{"wrong checksum", [](BoardFaults& f) { f.wrongChecksum.enabled = true; }, probe},
        FaultCase{"wrong echoed header", [](BoardFaults& f) { f.wrongHeader.enabled = true; }, probe},
        FaultCase{"noise before a later reply",
                  [](BoardFaults& f) { f.noise.enabled = true; },
                  [](FrameSession& s, const CodePlugImage& image) { return probe(s, image) && probe(s, image); }},
        FaultCase{"stops after two blocks",
                  [](BoardFaults& f) { f.stopAfterBlocks = 2; },
                  [](FrameSession& s, const CodePlugImage&) { return readBlock(s, 0) && readBlock(s, 1) && readBlock(s, 2); }},
        FaultCase{"no write acknowledgement at block 5",
                  [](BoardFaults& f) { f.noWriteAckAtBlock = 5; },
                  [](FrameSession& s, const CodePlugImage& image) { return writeBlock(s, image, 4) && writeBlock(s, image, 5); }},
        FaultCase{"no clock acknowledgement", [](BoardFaults& f) { f.noClockAck = true; },
                  [](FrameSession& s, const CodePlugImage&) { return s.SendCommand('5', 'U', clockPayload()); }},
        FaultCase{"no reset acknowledgement", [](BoardFaults& f) { f.noResetAck = true; },
                  [](FrameSession& s, const CodePlugImage&) { return s.SendCommand('5', 'S', kResetData); }}));

TEST_F(Exchange, PortServesTheNextRequestAfterATimeOut) {
    BoardOptions options;
    options.faults.noClockAck = true;
    Start(options);
    FrameSession session(port);
    EXPECT_FALSE(session.SendCommand('5', 'U', clockPayload()));
    EXPECT_EQ(port.PendingInput(), 0u);
    EXPECT_TRUE(Probe(session));
}

TEST_F(Exchange, BoardVanishingMidExchangeRaisesInsteadOfHanging) {
    BoardOptions options;
    options.faults.silent = true;
    // The board is unplugged while the session waits for its reply, with and
    // without the window handling events in between.
    for (const bool windowEvents : {false, true}) {
        Start(options);
        FrameSession session(port, [&] {
            board->Close();
            if (windowEvents) QCoreApplication::processEvents();
        });
        EXPECT_THROW(Probe(session), ECommError) << windowEvents;
        EXPECT_NO_THROW(port.ClosePort()) << windowEvents;
    }
}
