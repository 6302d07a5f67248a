#include "cli/PortDiagnosis.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace km640::cli {

namespace fs = std::filesystem;

namespace {

std::optional<long> pidOf(const std::string& name) {
    if (name.empty() || !std::ranges::all_of(name, [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    return std::stol(name);
}

std::string firstLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string commandOf(long pid, const PortSystemView& view) {
    return firstLine(view.procRoot / std::to_string(pid) / "comm");
}

bool alive(long pid, const PortSystemView& view) {
    std::error_code ec;
    return fs::exists(view.procRoot / std::to_string(pid), ec);
}

// Programs that are known to take serial adapters, and what to do about them.
struct KnownGrabber {
    std::string_view command;
    std::string_view advice;
};

constexpr KnownGrabber kGrabbers[] = {
    {"ModemManager",
     "ModemManager probes serial adapters as modems. Stop it while programming (sudo systemctl stop "
     "ModemManager), or keep it off the adapter with a udev rule setting ENV{ID_MM_DEVICE_IGNORE}=\"1\"."},
    {"brltty",
     "brltty takes USB serial adapters for braille displays. Without a braille display, remove it "
     "(sudo apt remove brltty) or disable it (sudo systemctl mask brltty-udev.service)."},
};

std::string adviceFor(const PortHolder& holder) {
    for (const auto& grabber : kGrabbers)
        if (holder.command == grabber.command) return std::string(grabber.advice);
    return "Close " + (holder.command.empty() ? std::string("that program") : holder.command) +
           " or choose another port.";
}

std::string holderText(const PortHolder& holder) {
    return (holder.command.empty() ? std::string("a program") : holder.command) + " (pid " +
           std::to_string(holder.pid) + ")";
}

bool sameDevice(const fs::path& link, const fs::path& device, const fs::path& canonicalDevice) {
    return link == device || (!canonicalDevice.empty() && link == canonicalDevice);
}

std::string userName() {
    if (const passwd* pw = getpwuid(getuid())) return pw->pw_name;
    return {};
}

std::string permissionText(const std::string& device, const struct stat& st) {
    const group* gr = getgrgid(st.st_gid);
    const std::string groupName = gr != nullptr ? gr->gr_name : std::to_string(st.st_gid);
    bool listed = false;
    if (gr != nullptr) {
        const std::string user = userName();
        for (char** member = gr->gr_mem; *member != nullptr; ++member) listed = listed || user == *member;
    }
    std::string text = "Permission denied on " + device + ": it belongs to the group \"" + groupName + "\".\n";
    if (listed)
        return text + "You are in that group, but this session started before you were added: log out and in "
                      "again, or run: newgrp " + groupName;
    return text + "Add yourself to it: sudo usermod -aG " + groupName + " $USER\nthen log out and in again.";
}

}  // namespace

std::vector<PortHolder> findPortHolders(const fs::path& device, const PortSystemView& view) {
    std::vector<PortHolder> holders;
    std::error_code ec;
    const fs::path canonicalDevice = fs::canonical(device, ec);
    for (const auto& process : fs::directory_iterator(view.procRoot, ec)) {
        const auto pid = pidOf(process.path().filename().string());
        if (!pid || *pid == view.self || std::ranges::find(view.boards, *pid) != view.boards.end()) continue;
        std::error_code fdError;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
            std::error_code linkError;
            const fs::path target = fs::read_symlink(fd.path(), linkError);
            if (!linkError && sameDevice(target, device, canonicalDevice)) {
                holders.push_back({*pid, commandOf(*pid, view)});
                break;
            }
        }
    }
    std::ranges::sort(holders, {}, &PortHolder::pid);
    return holders;
}

std::optional<PortHolder> findLockHolder(const fs::path& device, const PortSystemView& view) {
    std::vector<std::string> names = {"LCK.." + device.filename().string()};
    const std::string text = device.string();
    if (text.starts_with("/dev/")) {
        std::string below = text.substr(5);
        std::ranges::replace(below, '/', '_');
        if (below != device.filename().string()) names.push_back("LCK.." + below);
    }
    for (const auto& dir : view.lockDirs) {
        for (const auto& name : names) {
            std::string line = firstLine(dir / name);
            line.erase(0, line.find_first_not_of(" \t"));
            line.erase(line.find_last_not_of(" \t\r") + 1);
            const auto pid = pidOf(line);
            if (pid && *pid != view.self && alive(*pid, view)) return PortHolder{*pid, commandOf(*pid, view)};
        }
    }
    return std::nullopt;
}

std::vector<PortHolder> findPortGrabbers(const PortSystemView& view) {
    std::vector<PortHolder> found;
    std::error_code ec;
    for (const auto& process : fs::directory_iterator(view.procRoot, ec)) {
        const auto pid = pidOf(process.path().filename().string());
        if (!pid) continue;
        const std::string command = commandOf(*pid, view);
        for (const auto& grabber : kGrabbers)
            if (command == grabber.command) found.push_back({*pid, command});
    }
    std::ranges::sort(found, {}, &PortHolder::pid);
    return found;
}

std::string otherHoldersNote(const fs::path& device, const PortSystemView& view) {
    const auto holders = findPortHolders(device, view);
    if (holders.empty()) return {};
    std::string text = device.string() + " is also open in " + holderText(holders.front());
    for (std::size_t i = 1; i < holders.size(); ++i) text += " and " + holderText(holders[i]);
    text += ".";
    for (const auto& holder : holders) text += "\n" + adviceFor(holder);
    return text;
}

PortDiagnosis diagnosePort(std::string_view port, int systemError, const PortSystemView& view) {
    PortDiagnosis d;
    d.device = portDevicePath(port);
    struct stat st {};
    if (::stat(d.device.c_str(), &st) != 0) {
        d.kind = PortDiagnosis::Kind::Missing;
        d.text = "No such port: " + d.device + ".\n\"km640-cli ports\" lists the ports of this machine.";
        return d;
    }
    // The error number is what the system said last during the failed open;
    // with the device there, "no such file" came from elsewhere (a lock file).
    if (systemError == ENOENT) systemError = 0;
    if (!S_ISCHR(st.st_mode)) {
        d.kind = PortDiagnosis::Kind::NotADevice;
        d.text = d.device + " is not a serial device.";
        return d;
    }
    if (systemError == EACCES || systemError == EPERM || ::access(d.device.c_str(), R_OK | W_OK) != 0) {
        d.kind = PortDiagnosis::Kind::NoPermission;
        d.text = permissionText(d.device, st);
        return d;
    }

    auto holders = findPortHolders(d.device, view);
    if (holders.empty())
        if (const auto lock = findLockHolder(d.device, view)) holders.push_back(*lock);
    if (!holders.empty()) {
        d.kind = PortDiagnosis::Kind::Busy;
        d.text = d.device + " is in use by " + holderText(holders.front());
        for (std::size_t i = 1; i < holders.size(); ++i) d.text += " and " + holderText(holders[i]);
        d.text += ".";
        for (const auto& holder : holders) d.text += "\n" + adviceFor(holder);
        return d;
    }

    // The holder may run as another user, whose open files we cannot see.
    const bool busy = systemError == EBUSY;
    d.kind = busy ? PortDiagnosis::Kind::Busy : PortDiagnosis::Kind::Unknown;
    d.text = busy ? d.device + " is busy: another program holds it."
                  : "Cannot open " + d.device +
                        (systemError != 0 ? ": " + std::string(std::strerror(systemError)) : std::string()) +
                        ". Is another program using it?";
    for (const auto& grabber : findPortGrabbers(view))
        d.text += "\n" + holderText(grabber) + " is running and may hold it. " + adviceFor(grabber);
    return d;
}

}  // namespace km640::cli
