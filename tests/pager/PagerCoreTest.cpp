#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "pager/PagerClock.h"
#include "pager/ProductionLog.h"
#include "pager/ScanDetector.h"

using namespace km640;

namespace {
const LocalDateTime kSunday{2010, 3, 7, 0, 14, 5, 9};

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST(PagerClock, ClockStringAndPayload) {
    EXPECT_EQ(ClockString(kSunday), "10030700140509");
    const auto p = BuildClockPayload(ClockString(kSunday), 0x15);
    const std::array<std::uint8_t, 16> expected = {0x09, 0x05, 0x14, 0x00, 0x07, 0x03, 0x10, 0x15,
                                                   0, 0, 0, 0, 0, 0, 0, 0x28};
    EXPECT_EQ(p, expected);

    const LocalDateTime sat{2099, 12, 31, 6, 23, 59, 58};
    EXPECT_EQ(ClockString(sat), "99123106235958");
    const auto bytes = ClockSettingBytes(sat);
    const std::array<std::uint8_t, 7> expect7 = {0x58, 0x59, 0x23, 0x06, 0x31, 0x12, 0x99};
    EXPECT_EQ(bytes, expect7);

    // Garbage never reads beyond the text.
    const auto shortPayload = BuildClockPayload("1003", 0x15);
    EXPECT_EQ(shortPayload[6], 0x10);
    EXPECT_EQ(shortPayload[5], 0x03);
    EXPECT_EQ(shortPayload[0], 0x00);
}

TEST(PagerClock, SyncSuccessTexts) {
    EXPECT_EQ(SyncSuccessText(kSunday, false), "SYNC SUCCESS ! \n\nDATE && TIME : 2010/03/07  02:05 pm");
    EXPECT_EQ(SyncSuccessText(kSunday, true), "SYNC SUCCESS ! \n\nDATE && TIME : 2010/03/07  14:05");
    LocalDateTime midnight = kSunday;
    midnight.hour = 0;
    EXPECT_TRUE(SyncSuccessText(midnight, false).ends_with("12:05 am"));
    midnight.hour = 12;
    EXPECT_TRUE(SyncSuccessText(midnight, false).ends_with("12:05 pm"));
}

TEST(ProductionLog, HeaderOnceAndLinesWithCrLf) {
    const auto dir = std::filesystem::temp_directory_path() / ("km640-log-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const LocalDateTime t{2012, 4, 25, 3, 9, 30, 12};
    {
        ProductionLog log;
        ASSERT_TRUE(log.open(dir, t));
        EXPECT_EQ(log.path().filename(), "2012-04-25.log");
        ASSERT_TRUE(log.append(DailyLogLine(t, " A1B2C3D4E5F6 ", " Write Success !")));
    }
    {
        ProductionLog log;
        ASSERT_TRUE(log.open(dir, t));
        ASSERT_TRUE(log.append(DailyLogLine(t, "X", " Verify Fail !")));
    }
    EXPECT_EQ(slurp(dir / "2012-04-25.log"),
              "-------  KM645 Programming (Barcode) Start ------- \r\n"
              "2012-04-25 09:30:12  Serial No. = A1B2C3D4E5F6  Write Success !\r\n"
              "2012-04-25 09:30:12  Serial No. = X  Verify Fail !\r\n");

    ProductionLog nowhere;
    EXPECT_FALSE(nowhere.open(dir / "missing-folder", t));
    EXPECT_FALSE(nowhere.append("x"));
    std::filesystem::remove_all(dir);
}

// Stations on one PC share the log folder: each process opens the day's log
// (the first of the day among them) and appends its lines while the others
// do the same.
TEST(ProductionLog, ManyProcessesAppendAtOnce) {
    const auto dir = std::filesystem::temp_directory_path() / ("km640-logs-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const LocalDateTime t{2012, 4, 25, 3, 9, 30, 12};
    constexpr int kProcesses = 8;
    constexpr int kLines = 200;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(gate[1]);
            char c;
            if (::read(gate[0], &c, 1) != 0) ::_exit(3);  // everybody starts when the gate opens
            for (int n = 0; n < kLines; ++n) {
                ProductionLog log;
                const std::string serial = "P" + std::to_string(p) + "N" + std::to_string(n) + std::string(40, 'x');
                if (!log.open(dir, t) || !log.append(DailyLogLine(t, serial, "Write Success !"))) ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::stringstream text(slurp(dir / "2012-04-25.log"));
    std::string line;
    ASSERT_TRUE(std::getline(text, line));
    EXPECT_EQ(line + "\n", DailyLogHeader());
    std::set<std::string> seen;
    while (std::getline(text, line)) {
        const auto from = line.find("= ") + 2;
        const std::string serial = line.substr(from, line.find("  Write") - from);
        EXPECT_EQ(line + "\n", DailyLogLine(t, serial, "Write Success !")) << "a line is whole";
        EXPECT_TRUE(seen.insert(serial).second) << "no line twice: " << serial;
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kProcesses * kLines));
    std::filesystem::remove_all(dir);
}

TEST(ScanDetector, ScannerPersonAndShortLabels) {
    struct Case {
        const char* what;
        int length;          // characters in the label
        std::uint32_t step;  // ms between keys
        ScanDetector::Action atEnter;
    };
    const Case cases[] = {
        {"scanner, 12 characters", 12, 5, ScanDetector::Action::StartProduction},
        {"scanner, 11 characters", 11, 5, ScanDetector::Action::StartProduction},
        {"scanner, 10 characters", 10, 5, ScanDetector::Action::SwallowEnter},
        {"person, 12 characters", 12, 40, ScanDetector::Action::SwallowEnter},
        {"just under the window", 11, 19, ScanDetector::Action::StartProduction},
        {"exactly the window", 11, 20, ScanDetector::Action::SwallowEnter},
    };
    for (const auto& c : cases) {
        ScanDetector d;
        std::uint32_t now = 0xFFFFFF00u;  // across the tick counter's wrap
        for (int typed = 0; typed < c.length; ++typed, now += c.step)
            EXPECT_EQ(d.keyDown(typed, false, now), ScanDetector::Action::None);
        // Enter comes one step after the last character; the window runs
        // from the second character's key-down.
        EXPECT_EQ(d.keyDown(c.length, true, now), c.atEnter) << c.what;
    }
}
