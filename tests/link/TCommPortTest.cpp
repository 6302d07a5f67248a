// The serial port over a pseudo-terminal whose other side the test holds.

#include "link/TCommPort.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <thread>

#include "link/ECommError.h"

using namespace km640;

namespace {

// The line's far end: the test writes and reads the master side.
class FarEnd {
public:
    FarEnd() {
        std::array<char, 256> name{};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master_, &slave_, name.data(), &raw, nullptr) != 0) throw std::runtime_error("openpty");
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        path_ = name.data();
    }
    ~FarEnd() { Vanish(); }

    const std::string& path() const { return path_; }
    void Send(const std::string& bytes) { ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    // What has reached the far end so far.
    std::string Received() {
        std::array<char, 256> buffer{};
        const ssize_t n = read(master_, buffer.data(), buffer.size());
        return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
    }
    // Unplugged: both sides of the pseudo-terminal close.
    void Vanish() {
        for (int* fd : {&master_, &slave_}) {
            if (*fd >= 0) close(*fd);
            *fd = -1;
        }
    }

private:
    int master_ = -1;
    int slave_ = -1;  // held so the line does not hang up between opens
    std::string path_;
};

// Bytes written on the far end reach the port through the kernel's own
// buffering; wait for them rather than assume they are there.
std::size_t waitForInput(TCommPort& port, std::size_t count) {
    for (int i = 0; i < 2000 && port.PendingInput() < count; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port.PendingInput();
}

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class TCommPortTest : public ::testing::Test {
protected:
    void SetUp() override { port.OpenAt(9600, line.path(), 1); }
    FarEnd line;
    TCommPort port;
};

}  // namespace

TEST_F(TCommPortTest, WriteLeavesTheProcessBeforeReturning) {
    EXPECT_NE(port.Write(bytesOf("KestrelNet")), 0u);
    EXPECT_EQ(line.Received(), "KestrelNet");
}

TEST_F(TCommPortTest, EmptyWriteSendsNothing) {
    EXPECT_EQ(port.Write({}), 0u);
    EXPECT_EQ(line.Received(), "");
}

TEST_F(TCommPortTest, ReadOfOneByteThatGetsNothingReturnsZeroAndStoresAZeroByte) {
    std::array<std::uint8_t, 1> buffer{0xEE};
    EXPECT_EQ(port.Read(buffer), 0u);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(TCommPortTest, ShortReadEndsWithAZeroByteAfterTheLast) {
    line.Send("abc");
    ASSERT_EQ(waitForInput(port, 3), 3u);
    std::array<std::uint8_t, 6> buffer{};
    buffer.fill(0xEE);
    EXPECT_EQ(port.Read(buffer), 3u);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 6>{'a', 'b', 'c', 0, 0xEE, 0xEE}));
}

TEST_F(TCommPortTest, PendingInputCountsWithoutAnEventLoopAndPurgeDiscards) {
    line.Send("12345");
    EXPECT_EQ(waitForInput(port, 5), 5u);
    port.Purge();
    EXPECT_EQ(port.PendingInput(), 0u);
}

TEST_F(TCommPortTest, PendingInputKeepsCountingBytesThatComeLater) {
    line.Send("abc");
    ASSERT_EQ(waitForInput(port, 3), 3u);
    line.Send("de");
    EXPECT_EQ(waitForInput(port, 5), 5u);
}

TEST_F(TCommPortTest, WaitForInputWakesWhenAByteArrives) {
    // The far end answers a little later, on its own thread; the wait would
    // otherwise last ten seconds.
    std::thread answer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        line.Send("x");
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.WaitForInput(10'000), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    answer.join();
    // With nothing on the line, the wait lasts its time and reports nothing.
    std::array<std::uint8_t, 1> byte{};
    ASSERT_EQ(port.Read(byte), 1u);
    const auto quiet = std::chrono::steady_clock::now();
    EXPECT_EQ(port.WaitForInput(20), 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - quiet, std::chrono::milliseconds(20));
}

TEST_F(TCommPortTest, NameCannotChangeWhileOpen) {
    try {
        port.SetPortName("ttyS1");
        FAIL() << "renamed an open port";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.code(), commerror::kRenameWhileOpen);
    }
    EXPECT_EQ(port.PortName(), line.path());
}

TEST_F(TCommPortTest, OpenAtReopensWithNewSettingsAndOpenPortLeavesAnOpenPortAlone) {
    port.OpenAt(4800, line.path(), 2);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Settings(), (LineSettings{4800, 8, Parity::None, 2}));
    port.OpenPort(LineFormat(19200, 1));
    EXPECT_EQ(port.Settings(), (LineSettings{4800, 8, Parity::None, 2}));
}

TEST_F(TCommPortTest, SettingsTheDeviceRefusesCloseItAgainWithCode15) {
    // A pseudo-terminal takes no 7-bit characters with parity.
    try {
        port.OpenAt(9600, line.path(), 0);
        FAIL() << "7E2 accepted";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.code(), commerror::kSetConfig);
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_NO_THROW(port.OpenAt(9600, line.path(), 1)) << "nothing of the failed open is left holding the port";
}

TEST_F(TCommPortTest, APortHeldByAnotherProgramIsRefusedWithCode8) {
    TCommPort second;
    try {
        second.OpenAt(9600, line.path(), 1);
        FAIL() << "opened a port that is held";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.code(), commerror::kOpen);
    }
    EXPECT_FALSE(second.IsOpen());
    port.ClosePort();
    EXPECT_NO_THROW(second.OpenAt(9600, line.path(), 1)) << "free again once closed";
}

TEST(TCommPort, OpensByDeviceNameAndByFullPath) {
    FarEnd line;
    const std::string deviceName = line.path().substr(std::string("/dev/").size());  // "pts/N"
    for (const auto& name : {line.path(), deviceName}) {
        TCommPort port;
        EXPECT_NO_THROW(port.OpenAt(9600, name, 1)) << name;
        EXPECT_TRUE(port.IsOpen()) << name;
    }
}

TEST(TCommPort, MissingDeviceIsCode8AndLeavesThePortClosed) {
    TCommPort port;
    try {
        port.OpenAt(9600, "ttyKM640-none", 1);
        FAIL() << "opened a missing device";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.code(), commerror::kOpen);
    }
    EXPECT_FALSE(port.IsOpen());
}

using PortOperation = std::function<void(TCommPort&)>;

struct FailingOperation {
    const char* what;
    PortOperation run;
    std::uint8_t code;
};

const std::array<std::uint8_t, 1> kOneByte{0x55};

const FailingOperation kByteOperations[] = {
    {"Write", [](TCommPort& p) { p.Write(kOneByte); }, commerror::kWrite},
    {"empty Write", [](TCommPort& p) { p.Write({}); }, commerror::kWrite},
    {"Read", [](TCommPort& p) { std::array<std::uint8_t, 1> b{}; p.Read(b); }, commerror::kRead},
    {"Purge", [](TCommPort& p) { p.Purge(); }, commerror::kPurge},
    {"PendingInput", [](TCommPort& p) { p.PendingInput(); }, commerror::kStatus},
    {"WaitForInput", [](TCommPort& p) { p.WaitForInput(50); }, commerror::kStatus},
};

TEST(TCommPort, ByteOperationsOnAClosedPortRaiseCode7) {
    TCommPort port;
    for (const auto& op : kByteOperations) {
        try {
            op.run(port);
            ADD_FAILURE() << op.what << " on a closed port";
        } catch (const ECommError& e) {
            EXPECT_EQ(e.code(), commerror::kNotOpen) << op.what;
        }
    }
}

TEST(TCommPort, AVanishedDeviceRaisesInsteadOfHanging) {
    for (const auto& op : kByteOperations) {
        if (std::string(op.what) == "empty Write") continue;  // sends nothing, so sees nothing
        FarEnd line;
        TCommPort port;
        port.OpenAt(9600, line.path(), 1);
        line.Vanish();
        try {
            op.run(port);
            ADD_FAILURE() << op.what << " on a vanished device";
        } catch (const ECommError& e) {
            EXPECT_EQ(e.code(), op.code) << op.what;
        }
        EXPECT_NO_THROW(port.ClosePort()) << op.what;
    }
}
