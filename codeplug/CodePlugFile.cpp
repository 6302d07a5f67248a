#include "codeplug/CodePlugFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace km640 {
namespace fs = std::filesystem;

CodePlugFileRead ReadCodePlugFile(const fs::path& path) {
    CodePlugFileRead out;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        out.reason = std::strerror(errno);
        return out;
    }
    in.read(reinterpret_cast<char*>(out.bytes.data()), static_cast<std::streamsize>(out.bytes.size()));
    const auto got = in.gcount();
    if (in.bad()) {
        out.reason = "read error";
        return out;
    }
    if (static_cast<std::size_t>(got) < kImageSize) {
        out.status = CodePlugFileRead::Status::TooShort;
        out.reason = "the file holds " + std::to_string(got) + " bytes, a code-plug has 2048";
        out.bytes = {};
        return out;
    }
    out.status = CodePlugFileRead::Status::Ok;
    return out;
}

fs::path BackupPathFor(const fs::path& saveName, const fs::path& folder) {
    return folder / (saveName.stem().string() + ".BAK");
}

namespace {

std::string errnoText() { return std::strerror(errno); }

// Writes all bytes to a fresh temporary file beside the target and flushes it.
bool writeTemp(const fs::path& temp, const CodePlugImage& image, std::string& reason) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = errnoText();
        return false;
    }
    const auto& bytes = image.bytes();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            reason = errnoText();
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        reason = errnoText();
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    if (::close(fd) != 0) {
        reason = errnoText();
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

CodePlugFileWrite WriteCodePlugFile(const fs::path& path, const CodePlugImage& image, const fs::path& backupFolder) {
    CodePlugFileWrite out;
    if (path.empty() || path.filename().empty()) {
        out.reason = "no file name";
        return out;
    }
    fs::path temp = path;
    temp += ".tmp-" + std::to_string(::getpid());
    if (!writeTemp(temp, image, out.reason)) return out;

    std::error_code ec;
    if (fs::exists(path, ec)) {
        const fs::path backup = BackupPathFor(path, backupFolder);
        if (!fs::exists(backup, ec)) fs::rename(path, backup, ec);  // a failed backup is not fatal
    }
    fs::rename(temp, path, ec);
    if (ec) {
        out.reason = ec.message();
        fs::remove(temp, ec);
        return out;
    }
    out.ok = true;
    return out;
}

}  // namespace km640
