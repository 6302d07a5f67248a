#pragma once
// The saves of a km640-sim --memory FILE --save, watched on inotify: the
// simulator saves the file (by renaming a finished copy over it) after every
// block written into its pager, so a test knows when a write is under way.

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace km640::testing {

// Waits, on inotify, until the simulator has saved its memory file count
// times; false when it did not within a generous limit.
class MemorySaves {
public:
    explicit MemorySaves(const std::filesystem::path& memoryFile) : name_(memoryFile.filename().string()) {
        fd_ = inotify_init1(IN_CLOEXEC);
        if (fd_ >= 0) inotify_add_watch(fd_, memoryFile.parent_path().c_str(), IN_MOVED_TO);
    }
    ~MemorySaves() {
        if (fd_ >= 0) close(fd_);
    }
    MemorySaves(const MemorySaves&) = delete;
    MemorySaves& operator=(const MemorySaves&) = delete;

    bool waitFor(int count) {
        while (saves_ < count) {
            pollfd fd{fd_, POLLIN, 0};
            if (poll(&fd, 1, 60000) != 1) return false;
            alignas(inotify_event) char buffer[4096];
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) return false;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name_ == event->name) ++saves_;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return true;
    }

private:
    std::string name_;
    int fd_ = -1;
    int saves_ = 0;
};

}  // namespace km640::testing
