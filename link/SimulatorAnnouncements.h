#pragma once
// Boards of running km640-sim programs. While a simulator runs it leaves a
// small file naming its process and its pseudo-terminal in a per-user
// folder, and removes it when it ends; the port list offers those boards
// after the real ports. A file whose process is gone (a simulator that was
// killed) is ignored and cleared away.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace km640 {

struct SimulatorAnnouncement {
    long pid = 0;
    std::string ptyPath;
    bool operator==(const SimulatorAnnouncement&) const = default;
};

// "<pid>\n<pty path>\n"
std::string FormatAnnouncement(const SimulatorAnnouncement& announcement);
std::optional<SimulatorAnnouncement> ParseAnnouncement(std::string_view text);

// $XDG_RUNTIME_DIR/km640-sim when that is set, else /tmp/km640-sim-<uid>.
std::filesystem::path DefaultAnnouncementDirectory();

class SimulatorAnnouncements {
public:
    explicit SimulatorAnnouncements(std::filesystem::path directory = DefaultAnnouncementDirectory());

    // Makes the board known; false if the folder cannot be made or written.
    bool Announce(const SimulatorAnnouncement& announcement);
    void Withdraw(long pid);
    // Announcements of live processes whose pseudo-terminal still exists.
    std::vector<SimulatorAnnouncement> Live();

    const std::filesystem::path& directory() const { return directory_; }

private:
    std::filesystem::path fileFor(long pid) const;
    bool directoryTrusted() const;

    std::filesystem::path directory_;
};

}  // namespace km640
