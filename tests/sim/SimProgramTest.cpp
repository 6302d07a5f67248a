// The km640-sim program as a user starts it: the first line it prints is the
// board's port, and the programming tool's serial port talks to it there.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "link/FrameSession.h"
#include "link/SimulatorAnnouncements.h"
#include "link/TCommPort.h"
#include "sim/MemoryFile.h"
#include "tests/support/SimProgram.h"

using namespace km640;
using km640::testing::SimProgram;
namespace fs = std::filesystem;

namespace {

class SimProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("km640-simprog-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

}  // namespace

TEST_F(SimProgramTest, BoardOnThePrintedPortAnswersAndKeepsWhatIsWritten) {
    const auto memoryFile = folder / "pager.tbl";
    ASSERT_TRUE(SaveMemoryFile(memoryFile, DefaultImage()));
    SimProgram sim(KM640_SIM_PROGRAM,
                   {"--no-pacing", "--memory", memoryFile.string(), "--save", "--firmware", "3.4.5"}, folder);
    const std::string portName = sim.FirstLine();
    ASSERT_EQ(portName.rfind("/dev/", 0), 0u) << portName;
    const long simPid = sim.pid();

    SimulatorAnnouncements announcements(folder / "km640-sim");
    EXPECT_EQ(announcements.Live(), (std::vector<SimulatorAnnouncement>{{simPid, portName}}));

    CodePlugImage image = DefaultImage();
    image.setByte(0, 0x5A);
    {
        TCommPort port;
        port.OpenAt(9600, portName, 1);
        port.Purge();
        FrameSession session(port);
        std::array<std::uint8_t, 1> probe{};
        ASSERT_TRUE(session.RequestRead('3', 'R', probe, 0, 1));
        std::array<std::uint8_t, 32> info{};
        ASSERT_TRUE(session.RequestRead('3', 'R', info, 2016, 32));
        EXPECT_EQ((std::array<std::uint8_t, 3>{info[0], info[1], info[2]}), (std::array<std::uint8_t, 3>{3, 4, 5}));
        ASSERT_TRUE(session.SendWriteBlock('3', 'S', std::span<const std::uint8_t>(image.bytes()), 0, 64));
    }

    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_TRUE(announcements.Live().empty()) << "the board is withdrawn when the program ends";
    const auto saved = LoadMemoryFile(memoryFile);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->byte(0), 0x5A);
}

struct ExitCase {
    std::vector<std::string> args;
    int status;
};

void PrintTo(const ExitCase& c, std::ostream* os) {
    for (const auto& a : c.args) *os << a << ' ';
    *os << "ends with " << c.status;
}

class SimProgramExit : public SimProgramTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(SimProgramExit, EndsWithoutABoard) {
    SimProgram sim(KM640_SIM_PROGRAM, GetParam().args, folder);
    EXPECT_EQ(sim.Wait(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, SimProgramExit,
                         ::testing::Values(ExitCase{{"--help"}, 0}, ExitCase{{"--version"}, 0}, ExitCase{{"--firmware", "1.2"}, 2},
                                           ExitCase{{"--memory", "/nonexistent/pager.tbl"}, 1}));
