#include <gtest/gtest.h>
#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "cli/PortDiagnosis.h"

using namespace km640::cli;
namespace fs = std::filesystem;

namespace {

// A pseudo-terminal stands in for a serial device, and a folder of our own
// for the process table and the lock folder.
class PortDiagnosisTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        device_ = name;
        root_ = fs::temp_directory_path() / ("km640-portdiag-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "proc");
        fs::create_directories(root_ / "lock");
        view_.procRoot = root_ / "proc";
        view_.lockDirs = {root_ / "lock"};
        view_.self = 555;
    }
    void TearDown() override {
        close(master_);
        close(slave_);
        fs::remove_all(root_);
    }
    // A process with its name and, when given, the device open as descriptor 3.
    void process(long pid, const std::string& command, const std::string& openFile = {}) {
        const fs::path dir = view_.procRoot / std::to_string(pid);
        fs::create_directories(dir / "fd");
        std::ofstream(dir / "comm") << command << "\n";
        if (!openFile.empty()) fs::create_symlink(openFile, dir / "fd" / "3");
    }
    std::string lockName() const {
        std::string below = device_.substr(5);
        std::replace(below.begin(), below.end(), '/', '_');
        return "LCK.." + below;
    }

    int master_ = -1, slave_ = -1;
    std::string device_;
    fs::path root_;
    PortSystemView view_;
};

}  // namespace

TEST(PortDevicePath, NamesAndPaths) {
    EXPECT_EQ(portDevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(portDevicePath("/dev/pts/3"), "/dev/pts/3");
    EXPECT_EQ(portDevicePath("serial/by-id/usb-FTDI"), "serial/by-id/usb-FTDI");
}

TEST_F(PortDiagnosisTest, MissingPortAndFileThatIsNoDevice) {
    const auto missing = diagnosePort("ttyKM640nothere", ENOENT, view_);
    EXPECT_EQ(missing.kind, PortDiagnosis::Kind::Missing);
    EXPECT_EQ(missing.text, "No such port: /dev/ttyKM640nothere.\n\"km640-cli ports\" lists the ports of this machine.");

    const fs::path file = root_ / "plain.tbl";
    std::ofstream(file) << "x";
    const auto plain = diagnosePort(file.string(), 0, view_);
    EXPECT_EQ(plain.kind, PortDiagnosis::Kind::NotADevice);
    EXPECT_EQ(plain.text, file.string() + " is not a serial device.");
}

TEST_F(PortDiagnosisTest, PermissionNamesTheDevicesGroup) {
    struct stat st {};
    ASSERT_EQ(stat(device_.c_str(), &st), 0);
    const group* gr = getgrgid(st.st_gid);
    ASSERT_NE(gr, nullptr);
    const std::string name = gr->gr_name;  // "dialout" for serial adapters, "tty" for terminals
    const auto d = diagnosePort(device_, EACCES, view_);
    EXPECT_EQ(d.kind, PortDiagnosis::Kind::NoPermission);
    EXPECT_TRUE(d.text.starts_with("Permission denied on " + device_ + ": it belongs to the group \"" + name + "\".\n"));
    EXPECT_TRUE(d.text.ends_with("sudo usermod -aG " + name + " $USER\nthen log out and in again.") ||
                d.text.ends_with("newgrp " + name))
        << d.text;
}

TEST_F(PortDiagnosisTest, HoldersFromTheProcessTable) {
    process(812, "ModemManager", device_);
    process(900, "bash", "/dev/null");
    process(555, "km640-cli", device_);   // ourselves
    process(777, "km640-sim", device_);   // the simulated board itself
    view_.boards = {777};
    EXPECT_EQ(findPortHolders(device_, view_), (std::vector<PortHolder>{{812, "ModemManager"}}));

    const auto d = diagnosePort(device_, EBUSY, view_);
    EXPECT_EQ(d.kind, PortDiagnosis::Kind::Busy);
    EXPECT_TRUE(d.text.starts_with(device_ + " is in use by ModemManager (pid 812).\nModemManager probes"));
    // A port that opened, with a board that does not answer: the other program talks over it.
    EXPECT_TRUE(otherHoldersNote(device_, view_).starts_with(device_ + " is also open in ModemManager (pid 812).\n"
                                                                       "ModemManager probes"));
    view_.boards.push_back(812);
    EXPECT_EQ(otherHoldersNote(device_, view_), "");
    EXPECT_NE(d.text.find("ENV{ID_MM_DEVICE_IGNORE}=\"1\""), std::string::npos);
}

TEST_F(PortDiagnosisTest, HolderFromALockFile) {
    process(4242, "brltty");
    std::ofstream(view_.lockDirs[0] / lockName()) << "      4242\n";
    ASSERT_TRUE(findLockHolder(device_, view_));
    EXPECT_EQ(*findLockHolder(device_, view_), (PortHolder{4242, "brltty"}));
    const auto d = diagnosePort(device_, EBUSY, view_);
    EXPECT_EQ(d.kind, PortDiagnosis::Kind::Busy);
    EXPECT_TRUE(d.text.starts_with(device_ + " is in use by brltty (pid 4242).\nbrltty takes USB serial adapters"));

    // A lock whose process is gone holds nothing.
    std::ofstream(view_.lockDirs[0] / lockName()) << "4343\n";
    EXPECT_FALSE(findLockHolder(device_, view_));
}

TEST_F(PortDiagnosisTest, UnseenHolderWithKnownGrabbersRunning) {
    process(77, "ModemManager");
    const auto busy = diagnosePort(device_, EBUSY, view_);
    EXPECT_EQ(busy.kind, PortDiagnosis::Kind::Busy);
    EXPECT_TRUE(busy.text.starts_with(device_ + " is busy: another program holds it.\n"
                                                "ModemManager (pid 77) is running and may hold it. ModemManager probes"));
    const auto unknown = diagnosePort(device_, 0, view_);
    EXPECT_EQ(unknown.kind, PortDiagnosis::Kind::Unknown);
    EXPECT_TRUE(unknown.text.starts_with("Cannot open " + device_ + ". Is another program using it?\nModemManager (pid 77)"));
    const auto stale = diagnosePort(device_, ENOENT, PortSystemView{view_.procRoot / "none", {}, 555, {}});
    EXPECT_EQ(stale.text, "Cannot open " + device_ + ". Is another program using it?");
    const auto io = diagnosePort(device_, EIO, PortSystemView{view_.procRoot / "none", {}, 555, {}});
    EXPECT_EQ(io.text, "Cannot open " + device_ + ": Input/output error. Is another program using it?");
}
