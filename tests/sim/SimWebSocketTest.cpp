// km640-sim --websocket as the browser meets it: the first line is the
// board's ws:// address, binary messages carry the line's bytes both ways,
// and the board is the one a pseudo-terminal serves, faults included.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWebSocket>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "link/Frame.h"
#include "sim/MemoryFile.h"
#include "sim/PagerBoard.h"
#include "tests/support/SimProgram.h"

using namespace km640;
using km640::testing::SimProgram;
namespace fs = std::filesystem;

namespace {

// Turns the event loop, sleeping between events, until done() or 10 s passed.
bool waitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, static_cast<int>(deadline.remainingTime()));
    }
    return true;
}

// The host's end of the line.
class Host {
public:
    explicit Host(const std::string& url) {
        QObject::connect(&socket_, &QWebSocket::binaryMessageReceived, [this](const QByteArray& message) {
            received_.insert(received_.end(), message.begin(), message.end());
        });
        bool ended = false;
        QObject::connect(&socket_, &QWebSocket::connected, [this] { connected_ = true; });
        QObject::connect(&socket_, &QWebSocket::disconnected, [&ended] { ended = true; });
        socket_.open(QUrl(QString::fromStdString(url)));
        waitFor([&] { return connected_ || ended; });
        QObject::disconnect(&socket_, &QWebSocket::disconnected, nullptr, nullptr);
    }
    bool connected() const { return connected_; }
    QWebSocket& socket() { return socket_; }

    void Send(const FrameBytes& request) {
        socket_.sendBinaryMessage(QByteArray(reinterpret_cast<const char*>(request.data()), static_cast<qsizetype>(request.size())));
    }
    // Everything received since the last call, once `length` bytes are there
    // (less when the board stops answering).
    std::vector<std::uint8_t> Collect(std::size_t length) {
        waitFor([&] { return received_.size() >= length; });
        std::vector<std::uint8_t> bytes(received_.begin(), received_.end());
        received_.clear();
        return bytes;
    }
    std::vector<std::uint8_t> Exchange(const FrameBytes& request, std::size_t length) {
        Send(request);
        return Collect(length);
    }

    // Reads one 64-byte block; empty when what came is not exactly one valid reply.
    std::vector<std::uint8_t> ReadBlock(int block) {
        const auto reply = Exchange(BuildReadRequestFrame(kMemoryCommand, kReadSub, static_cast<std::uint16_t>(block * 64), 64),
                                    DataReplyLength(64));
        if (reply.size() != DataReplyLength(64)) return {};
        if (!DataReplyValid(reply, kMemoryCommand, kReadSub, 64)) return {};
        const auto payload = DataReplyPayload(reply, 64);
        return std::vector<std::uint8_t>(payload.begin(), payload.end());
    }

private:
    QWebSocket socket_;
    std::vector<char> received_;
    bool connected_ = false;
};

class SimWebSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("km640-simws-" + std::to_string(getpid()));
        fs::create_directories(folder);
        memory = DefaultImage();
        for (int i = 0; i < 64; ++i) memory.setByte(1024 + i, static_cast<std::uint8_t>(i * 7));
        memoryFile = folder / "pager.tbl";
        ASSERT_TRUE(SaveMemoryFile(memoryFile, memory));
    }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> options(std::vector<std::string> more) const {
        std::vector<std::string> all{"--websocket", "127.0.0.1:0", "--no-pacing", "--memory", memoryFile.string()};
        all.insert(all.end(), more.begin(), more.end());
        return all;
    }

    fs::path folder;
    fs::path memoryFile;
    CodePlugImage memory;
};

}  // namespace

TEST_F(SimWebSocketTest, ReadingEveryBlockGivesTheBoardsMemoryAndAWriteIsKept) {
    SimProgram sim(KM640_SIM_PROGRAM, options({"--save", "--firmware", "3.4.5"}), folder);
    const std::string url = sim.FirstLine();
    ASSERT_EQ(url.rfind("ws://127.0.0.1:", 0), 0u) << url;
    Host host(url);
    ASSERT_TRUE(host.connected());

    BoardOptions boardOptions;
    boardOptions.firmware = {3, 4, 5};
    const CodePlugImage expected = PagerBoard(memory, boardOptions).memory();
    std::vector<std::uint8_t> read;
    for (int block = 0; block < 32; ++block) {
        const auto bytes = host.ReadBlock(block);
        ASSERT_EQ(bytes.size(), 64u) << "block " << block;
        read.insert(read.end(), bytes.begin(), bytes.end());
    }
    EXPECT_TRUE(std::ranges::equal(read, expected.bytes()));

    // The line is held: a second host is turned away while the first keeps it.
    Host second(url);
    EXPECT_TRUE(waitFor([&] { return second.socket().state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(second.socket().closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);

    CodePlugImage changed = expected;
    changed.setByte(0, static_cast<std::uint8_t>(~changed.byte(0)));
    const auto ack = host.Exchange(BuildWriteBlockFrame(kMemoryCommand, kWriteSub, 0,
                                                        std::span<const std::uint8_t>(changed.bytes()).first(64)),
                                   WriteAck.size());
    EXPECT_TRUE(AckMatches(ack, WriteAck));
    EXPECT_EQ(host.ReadBlock(0), std::vector<std::uint8_t>(changed.bytes().begin(), changed.bytes().begin() + 64));

    EXPECT_EQ(sim.Stop(), 0);
    const auto saved = LoadMemoryFile(memoryFile);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->byte(0), changed.byte(0));
}

TEST_F(SimWebSocketTest, FaultsAreTheBoardsOwn) {
    SimProgram sim(KM640_SIM_PROGRAM, options({"--wrong-checksum-at", "320", "--no-write-ack-at-block", "7"}), folder);
    Host host(sim.FirstLine());
    ASSERT_TRUE(host.connected());
    EXPECT_EQ(host.ReadBlock(4).size(), 64u);
    EXPECT_TRUE(host.ReadBlock(5).empty()) << "the reply at 320 carries a wrong checksum";
    // The board answers in order: an acknowledgement of block 7 would come
    // before the reply to the read that follows it.
    const auto block7 = std::span<const std::uint8_t>(memory.bytes()).subspan(7 * 64, 64);
    host.Send(BuildWriteBlockFrame(kMemoryCommand, kWriteSub, 7 * 64, block7));
    EXPECT_EQ(host.ReadBlock(4).size(), 64u) << "block 7 is not acknowledged";
    host.Send(BuildWriteBlockFrame(kMemoryCommand, kWriteSub, 6 * 64, std::span<const std::uint8_t>(memory.bytes()).subspan(6 * 64, 64)));
    EXPECT_TRUE(AckMatches(host.Collect(WriteAck.size()), WriteAck)) << "block 6 is";
}
