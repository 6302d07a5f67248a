// Hostile reply streams against the reply receiver and checks: random
// bytes, single damaged bytes, lost bytes and noise must each end in a
// rejected reply, never in one accepted, and never read outside a buffer.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>

#include "link/Frame.h"
#include "link/ReplySync.h"

using namespace km640;

namespace {

struct ReplyKind {
    const char* what;
    std::function<FrameBytes(std::mt19937&)> make;  // a valid reply
    std::function<bool(std::span<const std::uint8_t>)> accepts;
};

FrameBytes randomBytes(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> byte(0, 255);
    FrameBytes out(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(byte(rng));
    return out;
}

FrameBytes boardDataReply(std::mt19937& rng, std::size_t count) {
    FrameBytes reply(kSignature.begin(), kSignature.end());
    reply.insert(reply.end(), {kMemoryCommand, kReadSub, static_cast<std::uint8_t>(count)});
    const auto data = randomBytes(rng, count);
    reply.insert(reply.end(), data.begin(), data.end());
    const auto sum = FrameChecksum(std::span<const std::uint8_t>(reply).subspan(kSignatureLength));
    reply.insert(reply.end(), {static_cast<std::uint8_t>(sum >> 8), static_cast<std::uint8_t>(sum & 0xFF)});
    return reply;
}

std::vector<ReplyKind> replyKinds() {
    std::vector<ReplyKind> kinds;
    for (std::size_t count : {1u, 16u, 32u, 64u})
        kinds.push_back({"data reply", [count](std::mt19937& rng) { return boardDataReply(rng, count); },
                         [count](std::span<const std::uint8_t> r) { return DataReplyValid(r, '3', 'R', count); }});
    for (auto ack : {std::span<const std::uint8_t>(WriteAck), std::span<const std::uint8_t>(ClockAck),
                     std::span<const std::uint8_t>(ResetAck)})
        kinds.push_back({"acknowledgement", [ack](std::mt19937&) { return FrameBytes(ack.begin(), ack.end()); },
                         [ack](std::span<const std::uint8_t> r) { return AckMatches(r, ack); }});
    return kinds;
}

// The receiver over a finite stream: empty when the stream ends before the
// reply is complete, which on the line is a time-out.
std::optional<FrameBytes> receive(ReplySync& sync, const FrameBytes& stream, std::size_t length) {
    FrameBytes buffer(length, 0);
    std::size_t position = 0, used = 0;
    while (position < length) {
        if (used == stream.size()) return std::nullopt;
        position = sync.Place(stream[used++], buffer, position);
    }
    return buffer;
}

bool acceptedOnFreshSession(const ReplyKind& kind, const FrameBytes& stream, std::size_t length) {
    ReplySync sync;
    const auto reply = receive(sync, stream, length);
    return reply && kind.accepts(*reply);
}

// A session that has already received one good reply.
bool acceptedOnSyncedSession(const ReplyKind& kind, const FrameBytes& stream, std::size_t length, std::mt19937& rng) {
    ReplySync sync;
    const auto first = kind.make(rng);
    if (!receive(sync, first, first.size())) return false;
    const auto reply = receive(sync, stream, length);
    return reply && kind.accepts(*reply);
}

constexpr int kRounds = 400;

}  // namespace

TEST(ReplyFuzz, IntactRepliesAreAccepted) {
    std::mt19937 rng(1);
    for (const auto& kind : replyKinds()) {
        const auto reply = kind.make(rng);
        EXPECT_TRUE(acceptedOnFreshSession(kind, reply, reply.size())) << kind.what;
        EXPECT_TRUE(acceptedOnSyncedSession(kind, reply, reply.size(), rng)) << kind.what;
    }
}

TEST(ReplyFuzz, RandomStreamsAreRejected) {
    std::mt19937 rng(2);
    std::uniform_int_distribution<std::size_t> length(0, 200);
    for (const auto& kind : replyKinds()) {
        const auto size = kind.make(rng).size();
        for (int round = 0; round < kRounds; ++round) {
            const auto stream = randomBytes(rng, length(rng));
            EXPECT_FALSE(acceptedOnFreshSession(kind, stream, size)) << kind.what;
            EXPECT_FALSE(acceptedOnSyncedSession(kind, stream, size, rng)) << kind.what;
        }
    }
}

TEST(ReplyFuzz, OneDamagedByteIsAlwaysCaught) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> delta(1, 255);
    for (const auto& kind : replyKinds()) {
        for (int round = 0; round < kRounds; ++round) {
            auto stream = kind.make(rng);
            const auto size = stream.size();
            const auto at = std::uniform_int_distribution<std::size_t>(0, size - 1)(rng);
            stream[at] = static_cast<std::uint8_t>(stream[at] + delta(rng));
            EXPECT_FALSE(acceptedOnSyncedSession(kind, stream, size, rng)) << kind.what << " byte " << at;
            EXPECT_FALSE(acceptedOnFreshSession(kind, stream, size)) << kind.what << " byte " << at;
        }
    }
}

TEST(ReplyFuzz, ALostByteIsAlwaysCaught) {
    std::mt19937 rng(4);
    for (const auto& kind : replyKinds()) {
        for (int round = 0; round < kRounds; ++round) {
            auto stream = kind.make(rng);
            const auto size = stream.size();
            stream.erase(stream.begin() + std::uniform_int_distribution<std::ptrdiff_t>(0, static_cast<std::ptrdiff_t>(size) - 1)(rng));
            EXPECT_FALSE(acceptedOnFreshSession(kind, stream, size)) << kind.what;
            EXPECT_FALSE(acceptedOnSyncedSession(kind, stream, size, rng)) << kind.what;
        }
    }
}

TEST(ReplyFuzz, NoiseIsForgivenOnlyBeforeTheFirstReplyAndOnlyWhileItFits) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> noiseByte(0, 255);
    for (const auto& kind : replyKinds()) {
        for (int round = 0; round < kRounds; ++round) {
            const auto reply = kind.make(rng);
            const auto noiseLength = std::uniform_int_distribution<std::size_t>(1, reply.size() + 4)(rng);
            FrameBytes stream;
            while (stream.size() < noiseLength) {
                const auto b = static_cast<std::uint8_t>(noiseByte(rng));
                if (b != 'K') stream.push_back(b);
            }
            stream.insert(stream.end(), reply.begin(), reply.end());
            // Each dropped noise byte uses up a position of the reply.
            EXPECT_EQ(acceptedOnFreshSession(kind, stream, reply.size()), noiseLength < reply.size()) << kind.what;
            EXPECT_FALSE(acceptedOnSyncedSession(kind, stream, reply.size(), rng)) << kind.what;
        }
    }
}
