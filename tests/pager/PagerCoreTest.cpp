#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "pager/PagerClock.h"
#include "pager/ProductionLog.h"
#include "pager/ScanDetector.h"
#include "tests/support/FileSizeLimit.h"

using namespace km640;
using km640::testing::FileSizeLimit;

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

class ProductionLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("km640-log-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path logPath() const { return dir_ / "2012-04-25.log"; }

    const LocalDateTime t_{2012, 4, 25, 3, 9, 30, 12};
    std::filesystem::path dir_;
};

const std::string kHeader = "-------  KM645 Programming (Barcode) Start ------- \r\n";

TEST_F(ProductionLogTest, HeaderOnceAndLinesWithCrLf) {
    {
        ProductionLog log;
        ASSERT_TRUE(log.open(dir_, t_).ok);
        EXPECT_EQ(log.path().filename(), "2012-04-25.log");
        ASSERT_TRUE(log.append(DailyLogLine(t_, " A1B2C3D4E5F6 ", " Write Success !")).ok);
    }
    {
        ProductionLog log;
        ASSERT_TRUE(log.open(dir_, t_).ok);
        ASSERT_TRUE(log.append(DailyLogLine(t_, "X", " Verify Fail !")).ok);
    }
    EXPECT_EQ(slurp(logPath()), kHeader +
                                    "2012-04-25 09:30:12  Serial No. = A1B2C3D4E5F6  Write Success !\r\n"
                                    "2012-04-25 09:30:12  Serial No. = X  Verify Fail !\r\n");
}

TEST_F(ProductionLogTest, WhatHoldsTheNameIsRefusedWithItsReason) {
    const struct {
        const char* what;
        std::function<void(const std::filesystem::path&)> make;
        std::string reason;
    } cases[] = {
        {"no folder", [](const std::filesystem::path& p) { std::filesystem::remove_all(p.parent_path()); },
         "No such file or directory"},
        {"a directory", [](const std::filesystem::path& p) { std::filesystem::create_directories(p); },
         "is a directory"},
        // Nothing reads the pipe: a plain open for writing would wait forever.
        {"a named pipe", [](const std::filesystem::path& p) { ::mkfifo(p.c_str(), 0644); },
         "is a named pipe, not a regular file"},
    };
    for (const auto& c : cases) {
        SetUp();
        c.make(logPath());
        ProductionLog log;
        const LogStep opened = log.open(dir_, t_);
        EXPECT_FALSE(opened.ok) << c.what;
        EXPECT_EQ(opened.reason, c.reason) << c.what;
        EXPECT_EQ(log.path(), logPath());
        EXPECT_FALSE(log.append("x").ok) << c.what;
    }
}

TEST_F(ProductionLogTest, AFullDiskLeavesNoHeaderlessLogAndNoHalfLine) {
    {
        // Room for part of the header only: the open fails and leaves no bytes.
        FileSizeLimit full(10);
        ProductionLog log;
        const LogStep opened = log.open(dir_, t_);
        EXPECT_FALSE(opened.ok);
        EXPECT_EQ(opened.reason, "File too large");
    }
    EXPECT_EQ(slurp(logPath()), "");
    const std::string line = DailyLogLine(t_, "A1B2C3D4E5F6", "Write Success !");
    {
        // The next run completes the log with its header; its line finds no room.
        FileSizeLimit full(kHeader.size() + 10);
        ProductionLog log;
        ASSERT_TRUE(log.open(dir_, t_).ok);
        const LogStep appended = log.append(line);
        EXPECT_FALSE(appended.ok);
        EXPECT_EQ(appended.reason, "File too large");
    }
    EXPECT_EQ(slurp(logPath()), kHeader);
    ProductionLog log;
    ASSERT_TRUE(log.open(dir_, t_).ok);
    ASSERT_TRUE(log.append(line).ok);
    EXPECT_EQ(slurp(logPath()), kHeader + line);
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
