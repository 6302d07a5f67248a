#include "link/SimulatorAnnouncements.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "link/PortDiscovery.h"
#include "link/QtSerialDeviceList.h"

using namespace km640;
namespace fs = std::filesystem;

namespace {

struct ParseCase {
    const char* text;
    std::optional<SimulatorAnnouncement> expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    std::string shown;
    for (const char* p = c.text; *p; ++p) shown += *p == '\n' ? std::string("\\n") : std::string(1, *p);
    *os << '"' << shown << '"';
}

class AnnouncementText : public ::testing::TestWithParam<ParseCase> {};

// A pid that certainly belongs to no running process: a child that has ended.
long endedPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

class Folder : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("km640-announce-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

}  // namespace

TEST_P(AnnouncementText, IsReadStrictly) { EXPECT_EQ(ParseAnnouncement(GetParam().text), GetParam().expected) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Files, AnnouncementText,
    ::testing::Values(ParseCase{"4321\n/dev/pts/7\n", SimulatorAnnouncement{4321, "/dev/pts/7"}},
                      ParseCase{"4321\n/dev/pts/7", std::nullopt}, ParseCase{"4321", std::nullopt},
                      ParseCase{"43x1\n/dev/pts/7\n", std::nullopt}, ParseCase{"-5\n/dev/pts/7\n", std::nullopt},
                      ParseCase{"0\n/dev/pts/7\n", std::nullopt}, ParseCase{"4321\n/home/me/file\n", std::nullopt},
                      ParseCase{"", std::nullopt}));

TEST(AnnouncementText, RoundTrips) {
    const SimulatorAnnouncement board{99, "/dev/pts/12"};
    EXPECT_EQ(ParseAnnouncement(FormatAnnouncement(board)), board);
}

TEST_F(Folder, LiveBoardsAreListedUntilWithdrawn) {
    SimulatorAnnouncements announcements(root / "boards");
    const SimulatorAnnouncement self{static_cast<long>(getpid()), "/dev/null"};
    ASSERT_TRUE(announcements.Announce(self));
    EXPECT_EQ(announcements.Live(), std::vector<SimulatorAnnouncement>{self});

    QtSerialDeviceList devices(root / "boards");
    const auto records = devices.devices();
    EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const SerialDeviceRecord& r) {
        return r.portName == "/dev/null" && ClassifyPort(r) == PortKind::Simulator;
    }));

    announcements.Withdraw(self.pid);
    EXPECT_TRUE(announcements.Live().empty());
}

TEST_F(Folder, BoardsOfEndedSimulatorsAreIgnoredAndCleared) {
    SimulatorAnnouncements announcements(root);
    const SimulatorAnnouncement stale{endedPid(), "/dev/null"};
    const SimulatorAnnouncement gonePty{static_cast<long>(getpid()), "/dev/pts/km640-none"};
    ASSERT_TRUE(announcements.Announce(stale));
    ASSERT_TRUE(announcements.Announce(gonePty));
    EXPECT_TRUE(announcements.Live().empty());
    EXPECT_FALSE(fs::exists(root / (std::to_string(stale.pid) + ".board")));
}

TEST_F(Folder, AFolderThatIsALinkIsNotTrusted) {
    fs::create_directories(root / "elsewhere");
    fs::create_directory_symlink(root / "elsewhere", root / "link");
    std::ofstream(root / "elsewhere" / "1.board") << FormatAnnouncement({static_cast<long>(getpid()), "/dev/null"});
    SimulatorAnnouncements announcements(root / "link");
    EXPECT_FALSE(announcements.Announce({static_cast<long>(getpid()), "/dev/null"}));
    EXPECT_TRUE(announcements.Live().empty());
}
