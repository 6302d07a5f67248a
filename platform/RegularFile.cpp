#include "platform/RegularFile.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace km640 {

namespace {

std::string kindReason(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "is a directory";
    if (S_ISFIFO(mode)) return "is a named pipe, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
    if (S_ISSOCK(mode)) return "is a socket, not a regular file";
    return "is not a regular file";
}

}  // namespace

std::string SystemErrorText() { return std::strerror(errno); }

bool WriteAndFlush(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

std::string NotRegularFileReason(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return kindReason(st.st_mode);
}

OpenedFile OpenRegularFile(const std::filesystem::path& path, int flags, mode_t mode) {
    OpenedFile out;
    // Looked at before opening, so that a device is never opened at all.
    out.reason = NotRegularFileReason(path);
    out.notAFile = !out.reason.empty();
    if (out.notAFile) return out;
    // Non-blocking, so that a pipe put in place just now cannot hold the
    // open either; what was opened is looked at once more.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0) {
        out.reason = SystemErrorText();
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.reason = SystemErrorText();
        ::close(fd);
        return out;
    }
    out.reason = kindReason(st.st_mode);
    out.notAFile = !out.reason.empty();
    if (out.notAFile) {
        ::close(fd);
        return out;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    out.fd = fd;
    return out;
}

WholeFile ReadWholeRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    WholeFile out;
    const auto file = OpenRegularFile(path, O_RDONLY);
    if (!file.ok()) {
        out.reason = file.reason;
        out.notAFile = file.notAFile;
        return out;
    }
    char buffer[65536];
    while (out.bytes.size() <= maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes + 1 - out.bytes.size());
        const ssize_t n = ::read(file.fd, buffer, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.reason = SystemErrorText();
            break;
        }
        if (n == 0) break;
        out.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    if (::close(file.fd) != 0 && out.ok()) out.reason = SystemErrorText();
    out.larger = out.ok() && out.bytes.size() > maxBytes;
    return out;
}

}  // namespace km640
