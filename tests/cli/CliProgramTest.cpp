// The km640-cli program as a bench script starts it, against a km640-sim
// program started without a memory file: the wiring of the real clock, port
// list and exit status, and a fresh simulator as a pager this program wrote.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "tests/cli/SavedImage.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/SimProgram.h"

using namespace km640;
namespace fs = std::filesystem;

namespace {

using km640::testing::ProgramRun;

// Runs a command line through the shell, as the test needs its output.
ProgramRun runProgram(const std::string& command) {
    return km640::testing::runProgram(command, km640::testing::StandardError::Dropped);
}

class CliProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-cliprog-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "run");
        // Both programs find the simulator's announcement here.
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        sim_ = std::make_unique<km640::testing::SimProgram>(
            KM640_SIM_PROGRAM, std::vector<std::string>{"--no-pacing", "--serial", "A1B2C3D4E5F6"}, folder_ / "run");
        port_ = sim_->FirstLine();
        ASSERT_FALSE(port_.empty());
    }
    void TearDown() override {
        sim_.reset();
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
    std::string port_;
    std::unique_ptr<km640::testing::SimProgram> sim_;
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

    // What a write leaves is what verify finds, whatever the clock said.
    CodePlugImage edited = clitest::savedImage();
    edited.setText(1536, 12, "EDITED");
    const std::string file = save("edited.tbl", edited);
    EXPECT_EQ(cli("verify --port " + port_ + " " + file).status, 8);
    EXPECT_EQ(cli("--quiet write --port " + port_ + " " + file).status, 0);
    EXPECT_EQ(cli("--quiet verify --port " + port_ + " " + file).out, "Verify Success !\n");
    edited.setByte(36, 121);
    const auto changed = cli("--quiet verify --port " + port_ + " " + save("edited.tbl", edited));
    EXPECT_EQ(changed.status, 8);
    EXPECT_EQ(changed.out, "--- " + file + "\n+++ " + port_ + "\nRemindRepetitionTime (36): 121 -> 120\nVerify Fail !\n");

    EXPECT_EQ(cli("info --port ttyKM640nothere").status, 4);
    EXPECT_EQ(cli("frobnicate").status, 2);
}
