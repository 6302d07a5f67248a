#include "pager/ProductionLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/RegularFile.h"

namespace km640 {

namespace {

// Holds the log's lock, so a header or a line from another run never lands
// in the middle of this one's.
class LogLock {
public:
    explicit LogLock(int fd) : fd_(fd) {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~LogLock() { ::flock(fd_, LOCK_UN); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;

private:
    int fd_;
};

// Writes text at the end of the file and flushes it to disk. When that fails,
// the file is cut back to its length before, so nothing half-written stays.
LogStep writeWhole(int fd, const std::string& text) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return {false, SystemErrorText()};
    if (WriteAndFlush(fd, text.data(), text.size())) return {true, {}};
    LogStep failed{false, SystemErrorText()};
    if (::ftruncate(fd, st.st_size) == 0) ::fsync(fd);
    return failed;
}
}  // namespace

std::string TrimmedText(const std::string& text) {
    const auto b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(" \t\r\n") - b + 1);
}

std::string DailyLogName(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d.log", t.year, t.month, t.day);
    return buf;
}

std::string DailyLogHeader() { return "-------  KM645 Programming (Barcode) Start ------- \r\n"; }

std::string DailyLogLine(const LocalDateTime& t, const std::string& serial, const std::string& result) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d  Serial No. = %s  %s\r\n", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, TrimmedText(serial).c_str(), TrimmedText(result).c_str());
    return buf;
}

ProductionLog::~ProductionLog() {
    if (fd_ >= 0) ::close(fd_);
}

LogStep ProductionLog::open(const std::filesystem::path& folder, const LocalDateTime& now) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_ = folder / DailyLogName(now);
    const OpenedFile file = OpenRegularFile(path_, O_WRONLY | O_APPEND | O_CREAT);
    if (!file.ok()) return {false, file.reason};
    LogStep step{true, {}};
    {
        const LogLock lock(file.fd);
        struct stat st {};
        if (::fstat(file.fd, &st) != 0)
            step = {false, SystemErrorText()};
        else if (st.st_size == 0)
            step = writeWhole(file.fd, DailyLogHeader());
    }
    if (!step.ok) {
        ::close(file.fd);
        return step;
    }
    fd_ = file.fd;
    return step;
}

LogStep ProductionLog::check(const std::filesystem::path& folder, const LocalDateTime& now) {
    const std::filesystem::path path = folder / DailyLogName(now);
    OpenedFile file = OpenRegularFile(path, O_WRONLY | O_APPEND);
    std::error_code ec;
    if (!file.ok() && !file.notAFile && !std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        // No log yet: may the folder take one? An unnamed file answers
        // without leaving one behind; a file system that has no unnamed
        // files leaves the answer to open().
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return {true, {}};
        }
        if (errno == EOPNOTSUPP) return {true, {}};
        return {false, SystemErrorText()};
    }
    if (!file.ok()) return {false, file.reason};
    ::close(file.fd);
    return {true, {}};
}

LogStep ProductionLog::append(const std::string& line) {
    if (fd_ < 0) return {false, "the log is not open"};
    const LogLock lock(fd_);
    return writeWhole(fd_, line);
}

}  // namespace km640
