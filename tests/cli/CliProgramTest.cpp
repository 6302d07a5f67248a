// The km640-cli program as a bench script starts it, against the km640-sim
// program: the wiring of the real clock, port list and exit status.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "codeplug/CodePlugImage.h"
#include "tests/cli/SavedImage.h"

using namespace km640;
namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int status;
    std::string out;
};

// Runs a command line through the shell; standard error is dropped.
ProgramRun runProgram(const std::string& command) {
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return {-1, {}};
    std::string out;
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class CliProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-cliprog-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "run");
        // Both programs find the simulator's announcement here.
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        memory_ = save("memory.tbl", clitest::savedImage());

        int out[2];
        ASSERT_EQ(pipe(out), 0);
        sim_ = fork();
        if (sim_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(KM640_SIM_PROGRAM, KM640_SIM_PROGRAM, "--no-pacing", "--memory", memory_.c_str(), "--serial",
                  "A1B2C3D4E5F6", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char c = 0;
        pollfd fd{out[0], POLLIN, 0};
        while (poll(&fd, 1, 20000) == 1 && read(out[0], &c, 1) == 1 && c != '\n') port_.push_back(c);
        close(out[0]);
        ASSERT_FALSE(port_.empty());
    }
    void TearDown() override {
        if (sim_ > 0) {
            kill(sim_, SIGTERM);
            waitpid(sim_, nullptr, 0);
        }
        fs::remove_all(folder_);
    }
    std::string save(const std::string& name, const CodePlugImage& image) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
        return path.string();
    }
    ProgramRun cli(const std::string& arguments) { return runProgram(std::string(KM640_CLI_PROGRAM) + " " + arguments); }

    fs::path folder_;
    std::string memory_;
    std::string port_;
    pid_t sim_ = -1;
};

}  // namespace

TEST_F(CliProgramTest, BenchScriptAgainstTheSimulator) {
    const auto ports = cli("ports");
    EXPECT_EQ(ports.status, 0);
    EXPECT_NE(ports.out.find(port_ + "  km640-sim board\n"), std::string::npos) << ports.out;

    const auto info = cli("info --port " + port_);
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("FirmVer. 1.2.10\nSerial No.: A1B2C3D4E5F6\n"), std::string::npos) << info.out;

    const std::string out = (folder_ / "out.tbl").string();
    EXPECT_EQ(cli("read --port " + port_ + " -o " + out).status, 0);
    const auto verify = cli("--quiet verify --port " + port_ + " " + out);
    EXPECT_EQ(verify.status, 0);
    EXPECT_EQ(verify.out, "Verify Success !\n");

    CodePlugImage edited = clitest::savedImage();
    edited.setText(1536, 12, "EDITED");
    EXPECT_EQ(cli("verify --port " + port_ + " " + save("edited.tbl", edited)).status, 8);
    EXPECT_EQ(cli("info --port ttyKM640nothere").status, 4);
    EXPECT_EQ(cli("frobnicate").status, 2);
}
