#include "link/SimulatorAnnouncements.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace km640 {

namespace {

constexpr std::string_view kExtension = ".board";

bool processAlive(long pid) {
    if (pid <= 0) return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::string FormatAnnouncement(const SimulatorAnnouncement& announcement) {
    return std::to_string(announcement.pid) + "\n" + announcement.ptyPath + "\n";
}

std::optional<SimulatorAnnouncement> ParseAnnouncement(std::string_view text) {
    const auto firstEnd = text.find('\n');
    if (firstEnd == std::string_view::npos) return std::nullopt;
    const auto pidText = text.substr(0, firstEnd);
    SimulatorAnnouncement out;
    const auto [end, ec] = std::from_chars(pidText.data(), pidText.data() + pidText.size(), out.pid);
    if (ec != std::errc() || end != pidText.data() + pidText.size() || out.pid <= 0) return std::nullopt;
    auto rest = text.substr(firstEnd + 1);
    const auto secondEnd = rest.find('\n');
    if (secondEnd == std::string_view::npos) return std::nullopt;
    out.ptyPath = std::string(rest.substr(0, secondEnd));
    // Only a device path is worth offering as a port.
    if (out.ptyPath.rfind("/dev/", 0) != 0) return std::nullopt;
    return out;
}

std::filesystem::path DefaultAnnouncementDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::filesystem::path(runtime) / "km640-sim";
    return std::filesystem::path("/tmp") / ("km640-sim-" + std::to_string(getuid()));
}

SimulatorAnnouncements::SimulatorAnnouncements(std::filesystem::path directory) : directory_(std::move(directory)) {}

std::filesystem::path SimulatorAnnouncements::fileFor(long pid) const {
    return directory_ / (std::to_string(pid) + std::string(kExtension));
}

// A shared folder such as /tmp could hold a folder of that name made by
// someone else; only our own, not a link, is read or written.
bool SimulatorAnnouncements::directoryTrusted() const {
    struct stat info {};
    if (lstat(directory_.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid();
}

bool SimulatorAnnouncements::Announce(const SimulatorAnnouncement& announcement) {
    std::error_code ec;
    std::filesystem::create_directories(directory_, ec);
    if (!directoryTrusted()) return false;
    std::filesystem::permissions(directory_, std::filesystem::perms::owner_all, ec);
    // Written aside and renamed, so a reader never sees half a file.
    const auto target = fileFor(announcement.pid);
    auto temporary = target;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatAnnouncement(announcement);
        if (!out) return false;
    }
    std::filesystem::rename(temporary, target, ec);
    return !ec;
}

void SimulatorAnnouncements::Withdraw(long pid) {
    std::error_code ec;
    std::filesystem::remove(fileFor(pid), ec);
}

std::vector<SimulatorAnnouncement> SimulatorAnnouncements::Live() {
    std::vector<SimulatorAnnouncement> live;
    if (!directoryTrusted()) return live;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, ec)) {
        if (entry.path().extension() != kExtension || !entry.is_regular_file(ec)) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const auto announcement = ParseAnnouncement(text.str());
        if (!announcement) continue;
        if (!processAlive(announcement->pid)) {
            std::filesystem::remove(entry.path(), ec);
            continue;
        }
        if (std::filesystem::exists(announcement->ptyPath, ec)) live.push_back(*announcement);
    }
    std::sort(live.begin(), live.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; });
    return live;
}

}  // namespace km640
