#pragma once
// A full disk for the length of a test: files this process writes cannot grow
// beyond a size, as on a disk with that much room left. A write past it
// stores what fits and then fails ("File too large"), as a write to a full
// disk stores what fits and then fails.

#include <signal.h>
#include <sys/resource.h>

namespace km640::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        // The write is to fail, not to end the process.
        savedSignal_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, savedSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t savedSignal_ = SIG_DFL;
};

}  // namespace km640::testing
