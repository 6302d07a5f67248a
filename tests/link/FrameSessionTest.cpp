// The exchanges against a board kept in memory: fast, and every wait, purge
// and opening is counted.

#include "link/FrameSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <thread>
#include <optional>

#include "codeplug/CodePlugImage.h"
#include "link/ECommError.h"
#include "link/Frame.h"
#include "link/OpenSelectedPort.h"
#include "sim/PagerBoard.h"

using namespace km640;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A port with a board behind it: every write is answered by the responder,
// whose bytes then wait as input. A byte listed in gapsMs (by its place in
// the reply) arrives that long after the byte before it; waiting for input
// sleeps, as on a real port.
class AnsweringPort : public SerialPort {
public:
    using Responder = std::function<FrameBytes(std::span<const std::uint8_t>)>;
    explicit AnsweringPort(Responder responder) : responder_(std::move(responder)) {}

    bool IsOpen() const override { return open_; }
    void OpenPort(const LineSettings& settings) override {
        if (open_) return;
        if (openFailure) throw ECommError(*openFailure, 0);
        open_ = true;
        settings_ = settings;
        ++opens;
    }
    void ClosePort() override { open_ = false; }
    void SetPortName(const std::string& name) override {
        if (open_) throw ECommError(commerror::kRenameWhileOpen, 0);
        name_ = name;
    }
    std::string PortName() const override { return name_; }
    void SetBaud(std::uint32_t) override {}
    std::size_t Write(std::span<const std::uint8_t> bytes) override {
        requireOpen();
        if (bytes.empty()) return 0;
        ++writes;
        const auto reply = responder_(bytes);
        auto arrival = Clock::now();
        for (std::size_t i = 0; i < reply.size(); ++i) {
            if (const auto gap = gapsMs.find(i); gap != gapsMs.end()) arrival += milliseconds(gap->second);
            input_.push_back(reply[i]);
            arrivals_.push_back(arrival);
        }
        return bytes.size();
    }
    std::size_t Read(std::span<std::uint8_t> buffer) override {
        requireOpen();
        const auto n = std::min(buffer.size(), arrived());
        std::copy_n(input_.begin(), n, buffer.begin());
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
        arrivals_.erase(arrivals_.begin(), arrivals_.begin() + static_cast<std::ptrdiff_t>(n));
        if (n < buffer.size()) buffer[n] = 0;
        return n;
    }
    void Purge() override {
        requireOpen();
        input_.clear();
        arrivals_.clear();
        ++purges;
    }
    std::size_t PendingInput() override {
        requireOpen();
        if (statusFailure) throw ECommError(*statusFailure, 0);
        return arrived();
    }
    std::size_t WaitForInput(int ms) override {
        waitsMs.push_back(ms);
        if (PendingInput() > 0) return PendingInput();
        auto until = Clock::now() + milliseconds(ms);
        if (!arrivals_.empty()) until = std::min(until, arrivals_.front());
        std::this_thread::sleep_until(until);
        return PendingInput();
    }

    LineSettings settings() const { return settings_; }
    std::optional<std::uint8_t> openFailure, statusFailure;
    int opens = 0, writes = 0, purges = 0;
    std::map<std::size_t, int> gapsMs;
    std::vector<int> waitsMs;

private:
    std::size_t arrived() const {
        const auto now = Clock::now();
        return static_cast<std::size_t>(
            std::find_if(arrivals_.begin(), arrivals_.end(), [now](auto t) { return t > now; }) - arrivals_.begin());
    }
    void requireOpen() const {
        if (!open_) throw ECommError(commerror::kNotOpen, 0);
    }
    Responder responder_;
    bool open_ = false;
    std::string name_;
    LineSettings settings_;
    FrameBytes input_;
    std::vector<Clock::time_point> arrivals_;
};

// A responder that is a simulated board.
AnsweringPort::Responder boardResponder(std::shared_ptr<PagerBoard> board) {
    return [board](std::span<const std::uint8_t> request) {
        FrameBytes out;
        for (const auto& reply : board->Receive(request)) out.insert(out.end(), reply.bytes.begin(), reply.bytes.end());
        return out;
    };
}

std::shared_ptr<PagerBoard> board(BoardFaults faults = {}) {
    BoardOptions options;
    options.faults = faults;
    return std::make_shared<PagerBoard>(DefaultImage(), options);
}

class RecordingBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string text, caption;
        MsgIcon icon;
        MsgButtons buttons;
    };
    MsgAnswer show(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override {
        shown.push_back({text, caption, icon, buttons});
        return MsgAnswer::Ok;
    }
    std::vector<Shown> shown;
};

const std::array<std::uint8_t, 2> kResetData{0x72, 0x00};

}  // namespace

// A probe wants 16 bytes; this board sends only the first 15.
FrameBytes replyShortOfItsLastByte(std::span<const std::uint8_t> request) {
    PagerBoard board(DefaultImage(), {});
    auto reply = board.Receive(request).at(0).bytes;
    reply.pop_back();
    return reply;
}

TEST(FrameSession, ReplyThatNeverCompletesTimesOutAfterHalfASecondAndPurges) {
    for (const bool window : {true, false}) {
        SCOPED_TRACE(window ? "with a window to serve" : "without a window");
        AnsweringPort port(replyShortOfItsLastByte);
        port.OpenPort({});
        int eventRounds = 0;
        FrameSession session(port, window ? FrameSession::Hook([&] { ++eventRounds; }) : FrameSession::Hook());
        std::array<std::uint8_t, 1> destination{0xEE};

        const auto start = Clock::now();
        EXPECT_FALSE(session.RequestRead('3', 'R', destination, 0, 1));
        EXPECT_GE(Clock::now() - start, milliseconds(FrameSession::kByteTimeoutMs)) << "never given up early";
        EXPECT_EQ(port.purges, 1);
        EXPECT_EQ(destination[0], 0xEE);
        ASSERT_FALSE(port.waitsMs.empty());
        const int longestWait = *std::ranges::max_element(port.waitsMs);
        if (window) {
            // The window gets its turn at least every 5 ms of the wait.
            EXPECT_LE(longestWait, FrameSession::kPollMs);
            EXPECT_GE(eventRounds, 50);
        } else {
            // Nothing to serve: the thread sleeps through the wait in one go.
            EXPECT_EQ(eventRounds, 0);
            EXPECT_GE(longestWait, FrameSession::kByteTimeoutMs - 1);
        }
    }
}

TEST(FrameSession, EveryReplyByteGetsItsOwnHalfSecond) {
    // Two long silences inside one reply: together longer than the time-out,
    // each shorter.
    AnsweringPort port(boardResponder(board()));
    port.gapsMs = {{0, 300}, {8, 300}};
    port.OpenPort({});
    FrameSession session(port);
    std::array<std::uint8_t, 1> destination{};
    EXPECT_TRUE(session.RequestRead('3', 'R', destination, 0, 1));
    EXPECT_EQ(port.purges, 0);
}

TEST(FrameSession, RejectedReplyLeavesTheDestinationUntouched) {
    BoardFaults faults;
    faults.wrongHeader.enabled = true;
    AnsweringPort port(boardResponder(board(faults)));
    port.OpenPort({});
    FrameSession session(port);
    std::vector<std::uint8_t> destination(32, 0xEE);

    EXPECT_FALSE(session.RequestRead('3', 'R', destination, ident::kPagerInfoBlock, 32));
    EXPECT_EQ(destination, std::vector<std::uint8_t>(32, 0xEE));
}

TEST(FrameSession, ReadsAndComparesAgainstTheBoardsMemory) {
    AnsweringPort port(boardResponder(board()));
    port.OpenPort({});
    FrameSession session(port);
    std::vector<std::uint8_t> info(32, 0);

    ASSERT_TRUE(session.RequestRead('3', 'R', info, ident::kPagerInfoBlock, 32));
    EXPECT_EQ((std::vector<std::uint8_t>(info.begin(), info.begin() + 3)), (std::vector<std::uint8_t>{1, 2, 10}));

    CodePlugImage image = DefaultImage();
    image.copyIn(ident::kPagerInfoBlock, info);
    const std::span<const std::uint8_t> bytes(image.bytes());
    EXPECT_TRUE(session.RequestCompare('3', 'R', bytes, 1984, 64));
    EXPECT_TRUE(session.RequestCompare('3', 'R', bytes, 2016, 16)) << "a shorter compare covers its own count";
    image.setByte(100, static_cast<std::uint8_t>(image.byte(100) + 1));
    EXPECT_FALSE(session.RequestCompare('3', 'R', bytes, 64, 64));
}

TEST(FrameSession, RangesOutsideTheImageSendNothing) {
    AnsweringPort port(boardResponder(board()));
    port.OpenPort({});
    FrameSession session(port);
    const CodePlugImage image = DefaultImage();
    const std::span<const std::uint8_t> bytes(image.bytes());
    std::vector<std::uint8_t> small(8, 0);

    EXPECT_FALSE(session.SendWriteBlock('3', 'S', bytes, 2000, 64));
    EXPECT_FALSE(session.RequestCompare('3', 'R', bytes, 2040, 64));
    EXPECT_FALSE(session.RequestRead('3', 'R', small, 0, 64)) << "destination smaller than the count";
    EXPECT_FALSE(session.SendWriteBlock('3', 'S', bytes, -64, 64));
    EXPECT_EQ(port.writes, 0);
}

TEST(FrameSession, NoiseIsForgivenOncePerSession) {
    BoardFaults faults;
    faults.noise.enabled = true;
    AnsweringPort port(boardResponder(board(faults)));
    port.OpenPort({});
    std::array<std::uint8_t, 1> probe{};
    {
        FrameSession session(port);
        EXPECT_TRUE(session.RequestRead('3', 'R', probe, 0, 1));
        EXPECT_FALSE(session.RequestRead('3', 'R', probe, 0, 1));
    }
    port.Purge();
    FrameSession fresh(port);
    EXPECT_TRUE(fresh.RequestRead('3', 'R', probe, 0, 1));
}

TEST(FrameSession, CommandOpensTheSelectedPortFirst) {
    auto pager = board();
    AnsweringPort port(boardResponder(pager));
    int openings = 0;
    FrameSession session(port, {}, [&] {
        ++openings;
        port.OpenPort({});
    });

    EXPECT_TRUE(session.SendCommand('5', 'S', kResetData));
    EXPECT_EQ(openings, 1);
    EXPECT_TRUE(session.SendCommand('5', 'S', kResetData));
    EXPECT_EQ(openings, 1) << "an open port is used as it is";
    EXPECT_EQ(pager->resetCount(), 2);
}

TEST(FrameSession, CommandOnAPortThatStaysClosedFails) {
    AnsweringPort port(boardResponder(board()));
    FrameSession session(port, {}, [] {});
    EXPECT_FALSE(session.SendCommand('5', 'S', kResetData));
    EXPECT_FALSE(session.SendRaw(kResetData));
    EXPECT_EQ(port.writes, 0);
}

TEST(FrameSession, PortFailureInsideAnExchangeIsRaised) {
    AnsweringPort port(boardResponder(board()));
    port.OpenPort({});
    port.statusFailure = commerror::kStatus;
    FrameSession session(port);
    std::array<std::uint8_t, 1> probe{};
    try {
        session.RequestRead('3', 'R', probe, 0, 1);
        FAIL() << "no error raised";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.code(), commerror::kStatus);
    }
}

struct OpenCase {
    std::optional<std::uint8_t> failure;
    const char* message;  // nullptr: none
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << (c.failure ? "code " + std::to_string(*c.failure) : std::string("opens"));
}

class OpenSelected : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenSelected, ReportsFailuresInAPlainBox) {
    AnsweringPort port([](std::span<const std::uint8_t>) { return FrameBytes{}; });
    port.openFailure = GetParam().failure;
    RecordingBoxes boxes;

    OpenSelectedPort(port, "ttyUSB1", boxes, "KM640 V1.1.9");

    EXPECT_EQ(port.IsOpen(), GetParam().message == nullptr);
    if (GetParam().message == nullptr) {
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(port.PortName(), "ttyUSB1");
        EXPECT_EQ(port.settings(), (LineSettings{9600, 8, Parity::None, 1}));
        EXPECT_EQ(port.purges, 1);
        return;
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, GetParam().message);
    EXPECT_EQ(boxes.shown[0].caption, "KM640 V1.1.9");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::None);
    EXPECT_EQ(boxes.shown[0].buttons, MsgButtons::Ok);
}

INSTANTIATE_TEST_SUITE_P(Port, OpenSelected,
                         ::testing::Values(OpenCase{std::nullopt, nullptr},
                                           OpenCase{commerror::kOpen, "Error opening comm port. Port already in use?"},
                                           OpenCase{commerror::kSetConfig, "Error opening comm port."}));
