#pragma once
// Why a serial port cannot be opened on a Linux machine, and what to do about
// it: a port that does not exist, a device the user may not open (the
// "dialout" group), or a port another program holds (often ModemManager or
// brltty, which take USB serial adapters for modems and braille displays).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/PortDevicePath.h"

namespace km640::cli {

// The device a port name stands for; the window records ports the same way.
using km640::portDevicePath;

// Where the machine's process table and lock files are; tests point them at
// folders of their own.
struct PortSystemView {
    std::filesystem::path procRoot = "/proc";
    std::vector<std::filesystem::path> lockDirs = {"/var/lock", "/run/lock", "/tmp", "/var/tmp"};
    long self = 0;  // our own process, never reported as a holder
    // Simulated boards keep their own end of the line open; they are the
    // board, not a program in its way.
    std::vector<long> boards;
};

struct PortHolder {
    long pid = 0;
    std::string command;  // its name as the process table gives it
    bool operator==(const PortHolder&) const = default;
};

struct PortDiagnosis {
    enum class Kind { Missing, NotADevice, NoPermission, Busy, Unknown };
    Kind kind = Kind::Unknown;
    std::string device;  // the full path tried
    std::string text;    // what happened and how to fix it, one or more lines
};

// Processes other than view.self and view.boards with the device open, from <procRoot>/<pid>/fd.
// Processes whose descriptors we may not look at are not found.
std::vector<PortHolder> findPortHolders(const std::filesystem::path& device, const PortSystemView& view);

// The live process named in a lock file of the port ("LCK..ttyUSB0", with the
// slashes of a path below /dev as underscores), if any.
std::optional<PortHolder> findLockHolder(const std::filesystem::path& device, const PortSystemView& view);

// Running programs known to take serial adapters, when the holder itself
// cannot be seen (they run as root).
std::vector<PortHolder> findPortGrabbers(const PortSystemView& view);

// For a board that does not answer on a port that opened: the other programs
// that have the port open too (ModemManager probing an adapter talks over the
// board), with what to do about them; empty when there are none.
std::string otherHoldersNote(const std::filesystem::path& device, const PortSystemView& view);

// The diagnosis of a port that failed to open; systemError is the error
// number of that open when it is known for certain, else 0. Permission and
// holders are looked up on the machine either way.
PortDiagnosis diagnosePort(std::string_view port, int systemError, const PortSystemView& view);

}  // namespace km640::cli
