#include "link/Frame.h"

#include <gtest/gtest.h>

#include <string>

#include "link/ReplySync.h"

using namespace km640;

namespace {

// "KestrelNet" followed by the given bytes.
FrameBytes signed_(std::initializer_list<std::uint8_t> tail, bool lead = false) {
    FrameBytes out;
    if (lead) out.push_back(0xAA);
    for (char c : kSignature) out.push_back(static_cast<std::uint8_t>(c));
    for (auto b : tail) out.push_back(b);
    return out;
}

// A data reply as the board sends it for these data bytes.
FrameBytes dataReply(std::uint8_t command, std::uint8_t sub, const FrameBytes& data) {
    FrameBytes reply(kSignature.begin(), kSignature.end());
    reply.insert(reply.end(), {command, sub, static_cast<std::uint8_t>(data.size())});
    reply.insert(reply.end(), data.begin(), data.end());
    const auto sum = FrameChecksum(std::span<const std::uint8_t>(reply).subspan(10));
    reply.insert(reply.end(), {static_cast<std::uint8_t>(sum >> 8), static_cast<std::uint8_t>(sum & 0xFF)});
    return reply;
}

const FrameBytes kTwoData{0x01, 0x02};
const FrameBytes kReset{0x72, 0x00};

}  // namespace

struct GoldenFrame {
    const char* what;
    FrameBytes built;
    FrameBytes expected;
};

void PrintTo(const GoldenFrame& c, std::ostream* os) { *os << c.what; }

class GoldenFrames : public ::testing::TestWithParam<GoldenFrame> {};

TEST_P(GoldenFrames, AreByteExact) { EXPECT_EQ(GetParam().built, GetParam().expected) << GetParam().what; }

INSTANTIATE_TEST_SUITE_P(
    Requests, GoldenFrames,
    ::testing::Values(
        GoldenFrame{"reset command", BuildCommandFrame('5', 'S', kReset),
                    signed_({0x35, 0x53, 0x02, 0x72, 0x00, 0x00, 0xFC}, true)},
        GoldenFrame{"read of the board data block", BuildReadRequestFrame('3', 'R', 2016, 32),
                    signed_({0x33, 0x52, 0x03, 0x07, 0xE0, 0x20, 0x01, 0x8F}, true)},
        GoldenFrame{"probe read", BuildReadRequestFrame('3', 'R', 0, 1),
                    signed_({0x33, 0x52, 0x03, 0x00, 0x00, 0x01, 0x00, 0x89}, true)},
        GoldenFrame{"compare request has no lead byte", BuildCompareRequestFrame('3', 'R', 2016, 32),
                    signed_({0x33, 0x52, 0x03, 0x07, 0xE0, 0x20, 0x01, 0x8F})},
        GoldenFrame{"write block counts the address in its length", BuildWriteBlockFrame('3', 'S', 0x0040, kTwoData),
                    signed_({0x33, 0x53, 0x04, 0x00, 0x40, 0x01, 0x02, 0x00, 0xCD}, true)},
        GoldenFrame{"command without payload", BuildCommandFrame('5', 'X', {}),
                    signed_({0x35, 0x58, 0x00, 0x00, 0x8D}, true)}));

TEST(Frames, FullSizeFramesHaveTheirWireLengths) {
    const FrameBytes block(64, 0xFF);
    const FrameBytes clock(16, 0x00);
    EXPECT_EQ(BuildWriteBlockFrame('3', 'S', 1984, block).size(), 82u);
    EXPECT_EQ(BuildReadRequestFrame('3', 'R', 1984, 64).size(), kReadRequestLength);
    EXPECT_EQ(BuildCompareRequestFrame('3', 'R', 1984, 64).size(), kCompareRequestLength);
    EXPECT_EQ(BuildCommandFrame('5', 'U', clock).size(), 32u);
    EXPECT_EQ(DataReplyLength(64), 79u);
}

TEST(Frames, PayloadsBeyondTheLengthByteAreRefused) {
    const FrameBytes tooLongBlock(kMaxWriteBlockCount + 1, 0);
    const FrameBytes tooLongCommand(kMaxCommandDataCount + 1, 0);
    EXPECT_THROW(BuildWriteBlockFrame('3', 'S', 0, tooLongBlock), std::length_error);
    EXPECT_THROW(BuildCommandFrame('5', 'U', tooLongCommand), std::length_error);
}

TEST(Frames, StoredAcknowledgementsAreByteExact) {
    EXPECT_EQ(FrameBytes(WriteAck.begin(), WriteAck.end()), signed_({0x33, 0x53, 0x01, 0x06, 0x00, 0x8D}));
    EXPECT_EQ(FrameBytes(ClockAck.begin(), ClockAck.end()), signed_({0x35, 0x55, 0x01, 0x06, 0x00, 0x91}));
    EXPECT_EQ(FrameBytes(ResetAck.begin(), ResetAck.end()), signed_({0x35, 0x53, 0x02, 0x72, 0x06, 0x01, 0x02}));
    for (auto ack : {std::span<const std::uint8_t>(WriteAck), std::span<const std::uint8_t>(ClockAck),
                     std::span<const std::uint8_t>(ResetAck)})
        EXPECT_TRUE(ReplyChecksumValid(ack));
}

TEST(Frames, AcknowledgementDifferingOnlyInItsChecksumIsRejected) {
    FrameBytes ack(WriteAck.begin(), WriteAck.end());
    EXPECT_TRUE(AckMatches(ack, WriteAck));
    ack.back() ^= 0x01;
    EXPECT_FALSE(AckMatches(ack, WriteAck));
    EXPECT_FALSE(AckMatches(FrameBytes(WriteAck.begin(), WriteAck.end() - 1), WriteAck));
}

struct ReplyCase {
    const char* what;
    FrameBytes reply;
    bool valid;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.what; }

class DataReplies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(DataReplies, AreCheckedAgainstTheRequest) {
    EXPECT_EQ(DataReplyValid(GetParam().reply, '3', 'R', 2), GetParam().valid) << GetParam().what;
}

namespace {
FrameBytes changed(FrameBytes bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    return bytes;
}
// The same change with the checksum made right again.
FrameBytes resummed(FrameBytes bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    const auto sum = FrameChecksum(std::span<const std::uint8_t>(bytes).subspan(10, bytes.size() - 12));
    bytes[bytes.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    bytes[bytes.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
    return bytes;
}
const FrameBytes kGood = dataReply('3', 'R', {0x12, 0x34});
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    ReadAndCompare, DataReplies,
    ::testing::Values(ReplyCase{"as the board sends it", kGood, true},
                      ReplyCase{"byte 12 is only summed, not compared", resummed(kGood, 12, 0x99), true},
                      ReplyCase{"wrong echoed sub-command, right checksum", resummed(kGood, 11, 'S'), false},
                      ReplyCase{"wrong echoed command, right checksum", resummed(kGood, 10, '5'), false},
                      ReplyCase{"wrong checksum", changed(kGood, kGood.size() - 1, kGood.back() ^ 0x01), false},
                      ReplyCase{"data changed under the checksum", changed(kGood, 13, 0x13), false},
                      ReplyCase{"signature spelled differently", changed(kGood, 0, 'k'), false},
                      ReplyCase{"one data byte short", dataReply('3', 'R', {0x12}), false},
                      ReplyCase{"empty", FrameBytes{}, false}));

TEST(Frames, PayloadIsTheDataAfterTheHeader) {
    const auto data = DataReplyPayload(kGood, 2);
    EXPECT_EQ(FrameBytes(data.begin(), data.end()), (FrameBytes{0x12, 0x34}));
}

// Collects one reply the way the receiver does: one byte per position until
// the buffer is full. Returns the buffer and takes the used bytes off stream.
FrameBytes assemble(ReplySync& sync, FrameBytes& stream, std::size_t length) {
    FrameBytes buffer(length, 0);
    std::size_t position = 0, used = 0;
    while (position < length && used < stream.size()) position = sync.Place(stream[used++], buffer, position);
    stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(used));
    return buffer;
}

TEST(ReplySync, NoiseIsSkippedOnlyBeforeTheFirstReplyOfASession) {
    const FrameBytes noise{0x00, 0xFF};
    FrameBytes stream = noise;
    stream.insert(stream.end(), kGood.begin(), kGood.end());
    stream.insert(stream.end(), noise.begin(), noise.end());
    stream.insert(stream.end(), kGood.begin(), kGood.end());

    ReplySync sync;
    EXPECT_FALSE(sync.replySynced());
    EXPECT_EQ(assemble(sync, stream, kGood.size()), kGood);
    EXPECT_TRUE(sync.replySynced());
    const auto second = assemble(sync, stream, kGood.size());
    EXPECT_FALSE(DataReplyValid(second, '3', 'R', 2));
    EXPECT_EQ(second[0], 0x00) << "later noise is stored where it arrives";
    EXPECT_EQ(stream.size(), 2u) << "the shifted reply's tail is left on the line";
}

TEST(ReplySync, EveryDroppedByteStillUsesAPosition) {
    // With as much noise as the reply is long, the buffer is full before the
    // signature comes: nothing is stored and the reply cannot pass.
    FrameBytes stream(kGood.size(), 0x55);
    stream.insert(stream.end(), kGood.begin(), kGood.end());
    ReplySync sync;
    const auto buffer = assemble(sync, stream, kGood.size());
    EXPECT_EQ(buffer, FrameBytes(kGood.size(), 0));
    EXPECT_FALSE(sync.replySynced());
}

TEST(ReplySync, AMissingByteLeavesItsPositionEmpty) {
    ReplySync sync;
    FrameBytes buffer(3, 0xEE);
    std::size_t position = sync.Place('K', buffer, 0);
    position = sync.Place(std::nullopt, buffer, position);
    position = sync.Place('e', buffer, position);
    EXPECT_EQ(position, 3u);
    EXPECT_EQ(buffer, (FrameBytes{'K', 0xEE, 'e'}));
}
