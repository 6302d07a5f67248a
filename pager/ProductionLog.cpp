#include "pager/ProductionLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace km640 {

namespace {
std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Several km640-cli processes, one per board, append to the same day's log.
// Each write happens under an exclusive lock on the file, so a line never
// interleaves with another, and the header goes in by whichever process
// finds the file empty while holding the lock: exactly once, and first.
class LogLock {
public:
    explicit LogLock(int fd) : fd_(fd), locked_(lock(fd)) {}
    ~LogLock() {
        if (locked_) ::flock(fd_, LOCK_UN);
    }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
    bool locked() const { return locked_; }

private:
    static bool lock(int fd) {
        while (::flock(fd, LOCK_EX) != 0)
            if (errno != EINTR) return false;
        return true;
    }
    int fd_;
    bool locked_;
};

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}
}  // namespace

std::string DailyLogName(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d.log", t.year, t.month, t.day);
    return buf;
}

std::string DailyLogHeader() { return "-------  KM645 Programming (Barcode) Start ------- \r\n"; }

std::string DailyLogLine(const LocalDateTime& t, const std::string& serial, const std::string& result) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d  Serial No. = %s  %s\r\n", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, trimmed(serial).c_str(), trimmed(result).c_str());
    return buf;
}

ProductionLog::~ProductionLog() {
    if (fd_ >= 0) ::close(fd_);
}

bool ProductionLog::open(const std::filesystem::path& folder, const LocalDateTime& now) {
    path_ = folder / DailyLogName(now);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    const LogLock lock(fd_);
    struct stat file {};
    const bool ok = lock.locked() && ::fstat(fd_, &file) == 0 && S_ISREG(file.st_mode) &&
                    (file.st_size > 0 || writeAll(fd_, DailyLogHeader()));
    if (!ok) {
        ::close(fd_);
        fd_ = -1;
    }
    return ok;
}

bool ProductionLog::append(const std::string& line) {
    if (fd_ < 0) return false;
    const LogLock lock(fd_);
    return lock.locked() && writeAll(fd_, line);
}

}  // namespace km640
