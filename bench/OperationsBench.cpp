// How close Write, Read and Verify come to what the 9600-baud line allows,
// and what they cost the processor. Runs the window's operations (no window:
// a silent view) against the simulated board with real line pacing and
// prints the measured time beside the wire-time limit (every byte on the line
// at 10 bits / 9600 baud, plus the pauses the operations must make), and the
// processor time (user + system) as a share of the wall time: of the whole
// process, simulated board included, and of the thread that runs the
// operation.

#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <string_view>

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

Budget verifyBudget() {
    Budget b;
    b.read(1);   // probe
    b.read(32);  // board data
    b.bytes += 32 * (18 + 79);  // compare requests and their replies
    b.pauseMs += 32 * 5;
    b.pauseMs += 500;
    return b;
}

constexpr double kRatioTarget = 1.02;
constexpr double kCpuShareTarget = 0.05;

double cpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Measured {
    double wallMs = 0, processCpuMs = 0, threadCpuMs = 0;
    bool ok = false;
};

template <typename Run>
Measured measure(Run&& run) {
    using Clock = std::chrono::steady_clock;
    const double process0 = cpuMs(RUSAGE_SELF), thread0 = cpuMs(RUSAGE_THREAD);
    const auto t0 = Clock::now();
    Measured m;
    m.ok = run();
    m.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    m.processCpuMs = cpuMs(RUSAGE_SELF) - process0;
    m.threadCpuMs = cpuMs(RUSAGE_THREAD) - thread0;
    return m;
}

// True when the operation succeeded and met both targets.
bool report(const char* what, const Measured& m, double limitMs) {
    const double ratio = m.wallMs / limitMs;
    const double processShare = m.processCpuMs / m.wallMs, threadShare = m.threadCpuMs / m.wallMs;
    const bool met = m.ok && ratio <= kRatioTarget && processShare <= kCpuShareTarget;
    std::printf("%-6s %9.1f ms %9.1f ms %7.3f %9.1f ms %6.1f %% %6.1f %%   %s\n", what, m.wallMs, limitMs, ratio,
                m.processCpuMs, 100.0 * processShare, 100.0 * threadShare,
                !m.ok ? "FAILED" : met ? "ok" : "target missed");
    return met;
}

}  // namespace

int main(int argc, char** argv) {
    // The limits alone, for the browser edition's benchmark (web/bench).
    if (argc > 1 && std::string_view(argv[1]) == "--limits") {
        std::printf("Write %.1f\nRead %.1f\nVerify %.1f\n", writeBudget().ms(), readBudget().ms(),
                    verifyBudget().ms());
        return 0;
    }
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

    const Measured write = measure([&] { return ops.Write().ok(); });
    const Measured read = measure([&] { return ops.Read().ok(); });
    const Measured verify = measure([&] { return ops.Verify().ok(); });
    std::printf("%-6s %12s %12s %7s %12s %8s %8s\n", "", "wall", "wire limit", "ratio", "cpu", "process",
                "thread");
    bool met = report("Write", write, writeBudget().ms());
    met = report("Read", read, readBudget().ms()) && met;
    met = report("Verify", verify, verifyBudget().ms()) && met;
    std::printf("targets: ratio at most %.2f, process cpu at most %.0f %% of wall time\n", kRatioTarget,
                100.0 * kCpuShareTarget);
    return met ? 0 : 1;
}
