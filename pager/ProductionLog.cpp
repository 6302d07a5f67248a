#include "pager/ProductionLog.h"

#include <fcntl.h>
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
    // Create the day's file only if it is new, so that exactly one run writes the header.
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ >= 0) {
        if (!writeAll(fd_, DailyLogHeader())) {
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        return true;
    }
    if (errno != EEXIST) return false;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    return fd_ >= 0;
}

bool ProductionLog::append(const std::string& line) { return fd_ >= 0 && writeAll(fd_, line); }

}  // namespace km640
