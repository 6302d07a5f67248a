// How close Write and Read come to what the 9600-baud line allows. Runs the
// window's operations (no window: a silent view) against the simulated board
// with real line pacing and prints the measured time beside the wire-time
// limit: every byte on the line at 10 bits / 9600 baud, plus the pauses the
// operations must make.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>

#include "link/Delay.h"
#include "link/TCommPort.h"
#include "pager/PagerOperations.h"
#include "sim/PtyBoard.h"

using namespace km640;

namespace {

class SilentView : public OperationView {
public:
    void setProgressCaption(const std::string&) override {}
    void setGaugeVisible(bool) override {}
    void setGaugeRange(int, int) override {}
    void setGaugePosition(int) override {}
    void addToGauge(int) override {}
    void showProgress() override {}
    void closeProgress() override {}
    void repaintProgress() override {}
    void setMainEnabled(bool) override {}
    void setStatus(int, const std::string&) override {}
    void hideFirmwareVersion() override {}
    void showFirmwareVersion(const std::string&) override {}
    void setSerialNoText(const std::string&) override {}
    void commitEditing() override {}
    void focusSerialNo() override {}
    void refreshAll() override {}
    void refreshBatteryLevels() override {}
    void processEvents() override {}
    bool syncClockOnWrite() override { return true; }
    int selectedPortIndex() override { return 0; }
    void selectPortIndex(int) override {}
};

class SilentMessages : public MessageBoxes {
public:
    MsgAnswer show(const std::string& text, const std::string&, MsgIcon, MsgButtons) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return MsgAnswer::Ok;
    }
};

class FixedClock : public LocalClock {
public:
    LocalDateTime now() override { return {2010, 3, 7, 0, 14, 5, 9}; }
};

constexpr double kByteMs = 10.0 * 1000.0 / 9600.0;

// Requests out and replies back, in bytes, and the pauses, in ms.
struct Budget {
    int bytes = 0;
    int pauseMs = 0;
    void read(int count) { bytes += 19 + 15 + count, pauseMs += 5; }
    double ms() const { return bytes * kByteMs + pauseMs; }
};

Budget writeBudget() {
    Budget b;
    b.read(1);   // probe
    b.read(16);  // software version
    b.read(32);  // board data
    b.read(16);  // serial number
    b.bytes += 32 * ((18 + 64) + 16 + 18 + 79);
    b.pauseMs += 32 * (5 + 1 + 5);
    b.bytes += (16 + 16) + 16;  // clock command and its acknowledgement
    b.pauseMs += 100;
    b.bytes += (16 + 2) + 17;  // reset command and its acknowledgement
    b.pauseMs += 200 + 100;
    b.pauseMs += 600;  // before the port closes
    return b;
}

Budget readBudget() {
    Budget b;
    b.read(1);
    b.read(32);
    b.read(16);
    for (int i = 0; i < 32; ++i) b.read(64);
    b.pauseMs += 500;
    return b;
}

void report(const char* what, double measuredMs, double limitMs, bool ok) {
    std::printf("%-6s measured %8.1f ms   wire-time limit %8.1f ms   ratio %.3f   %s\n", what, measuredMs, limitMs,
                measuredMs / limitMs, ok ? "ok" : "FAILED");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the serial port wants one
    CalibrateCounter();
    CodePlugImage memory = DefaultImage();
    WriteModelText(memory);
    StampVersion(memory);
    ImageChecksum(memory);
    PtyBoard board(PagerBoard(memory, {}), true);

    CodePlugImage image = memory;
    TCommPort port;
    SilentView view;
    SilentMessages messages;
    FixedClock clock;
    PagerOperations ops(image, port, view, messages, clock, "KM640 V1.1.9");
    ops.setPortList({board.slavePath()});

    using Clock = std::chrono::steady_clock;
    auto timed = [](auto&& run) {
        const auto t0 = Clock::now();
        const bool ok = run();
        return std::make_pair(std::chrono::duration<double, std::milli>(Clock::now() - t0).count(), ok);
    };
    const auto [writeMs, writeOk] = timed([&] { return ops.Write().ok(); });
    const auto [readMs, readOk] = timed([&] { return ops.Read().ok(); });
    report("Write", writeMs, writeBudget().ms(), writeOk);
    report("Read", readMs, readBudget().ms(), readOk);
    std::printf("target: ratio at most 1.050\n");
    return writeOk && readOk ? 0 : 1;
}
