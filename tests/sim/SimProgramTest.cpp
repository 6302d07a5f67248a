// The km640-sim program as a user starts it: the first line it prints is the
// board's port, and the programming tool's serial port talks to it there.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "link/FrameSession.h"
#include "link/SimulatorAnnouncements.h"
#include "link/TCommPort.h"
#include "sim/MemoryFile.h"

using namespace km640;
namespace fs = std::filesystem;

namespace {

class SimProgram {
public:
    SimProgram(const std::vector<std::string>& args, const fs::path& runtimeDir) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(KM640_SIM_PROGRAM)};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(KM640_SIM_PROGRAM, argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
    }
    ~SimProgram() {
        if (pid_ > 0) Stop();
        close(stdout_);
    }

    // The first line of output; empty if the program ended or said nothing for long.
    std::string FirstLine() {
        std::string line;
        char c = 0;
        pollfd fd{stdout_, POLLIN, 0};
        while (poll(&fd, 1, 20000) == 1 && read(stdout_, &c, 1) == 1 && c != '\n') line.push_back(c);
        return line;
    }
    // Ends the program as Ctrl+C would; returns its exit status.
    int Stop() {
        kill(pid_, SIGTERM);
        return Wait();
    }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

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
    SimProgram sim({"--no-pacing", "--memory", memoryFile.string(), "--save", "--firmware", "3.4.5"}, folder);
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
    SimProgram sim(GetParam().args, folder);
    EXPECT_EQ(sim.Wait(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, SimProgramExit,
                         ::testing::Values(ExitCase{{"--help"}, 0}, ExitCase{{"--version"}, 0}, ExitCase{{"--firmware", "1.2"}, 2},
                                           ExitCase{{"--memory", "/nonexistent/pager.tbl"}, 1}));
