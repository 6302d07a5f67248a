#include "codeplug/CodePlugFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/RegularFile.h"

namespace km640 {
namespace fs = std::filesystem;

namespace {

// How many numbered backup names are tried before a write gives up.
constexpr int kBackupNames = 1000;

}  // namespace

CodePlugFileRead ReadCodePlugFile(const fs::path& path) {
    CodePlugFileRead out;
    const WholeFile file = ReadWholeRegularFile(path, kImageSize);
    if (!file.ok()) {
        out.status = file.notAFile ? CodePlugFileRead::Status::NotAFile : CodePlugFileRead::Status::IoError;
        out.reason = file.reason;
        return out;
    }
    if (file.bytes.size() < kImageSize) {
        out.status = CodePlugFileRead::Status::TooShort;
        out.reason = "the file holds " + std::to_string(file.bytes.size()) + " bytes, a code-plug has 2048";
        return out;
    }
    std::copy_n(file.bytes.begin(), kImageSize, out.bytes.begin());
    out.status = CodePlugFileRead::Status::Ok;
    return out;
}

fs::path BackupPathFor(const fs::path& saveName, const fs::path& folder, int number) {
    const std::string stem = saveName.stem().string();
    return folder / (number == 0 ? stem + ".BAK" : stem + "." + std::to_string(number) + ".BAK");
}

namespace {

// Renames from to to only while to is free: 0, or the error number (EEXIST
// when the name is taken). The name is claimed first by creating it
// exclusively, so two programs saving at once cannot overwrite each other's
// backup; the rename then replaces only the empty file this call made. Works
// on every file system, including those without hard links.
int renameNoReplace(const fs::path& from, const fs::path& to) {
    const int claim = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (claim < 0) return errno;
    ::close(claim);
    if (::rename(from.c_str(), to.c_str()) == 0) return 0;
    const int error = errno;
    ::unlink(to.c_str());
    return error;
}

// Writes all bytes to a fresh temporary file beside the target and flushes it.
bool writeTemp(const fs::path& temp, std::span<const std::uint8_t> bytes, std::string& reason) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = SystemErrorText();
        return false;
    }
    bool ok = WriteAndFlush(fd, bytes.data(), bytes.size());
    if (!ok) reason = SystemErrorText();
    if (::close(fd) != 0 && ok) {
        reason = SystemErrorText();
        ok = false;
    }
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// Moves the file at path to its first free backup name. False, with the
// reason, when it could not be kept.
bool keepOldFile(const fs::path& path, const fs::path& folder, CodePlugFileWrite& out) {
    for (int number = 0; number < kBackupNames; ++number) {
        const fs::path backup = BackupPathFor(path, folder, number);
        const int error = renameNoReplace(path, backup);
        if (error == 0) {
            out.backup = backup;
            return true;
        }
        if (error != EEXIST) {
            errno = error;
            out.reason = "the file there could not be kept as " + backup.string() + ": " + SystemErrorText();
            return false;
        }
    }
    out.reason = "the file there could not be kept: no free backup name up to " +
                 BackupPathFor(path, folder, kBackupNames - 1).string();
    return false;
}

}  // namespace

CodePlugFileWrite WriteCodePlugFile(const fs::path& path, const CodePlugImage& image, const fs::path& backupFolder) {
    return WriteFileKeepingBackup(path, image.bytes(), backupFolder);
}

CodePlugFileWrite WriteFileKeepingBackup(const fs::path& path, std::span<const std::uint8_t> bytes,
                                         const fs::path& backupFolder) {
    CodePlugFileWrite out;
    if (path.empty() || path.filename().empty()) {
        out.reason = "no file name";
        return out;
    }
    out.reason = NotRegularFileReason(path);
    if (!out.reason.empty()) {
        out.status = CodePlugFileWrite::Status::NotAFile;
        return out;
    }
    fs::path temp = path;
    temp += ".tmp-" + std::to_string(::getpid());
    if (!writeTemp(temp, bytes, out.reason)) return out;

    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !keepOldFile(path, backupFolder, out)) {
        ::unlink(temp.c_str());
        return out;
    }
    // Not even a file that turned up under the name meanwhile is replaced.
    const int error = renameNoReplace(temp, path);
    if (error != 0) {
        errno = error;
        out.reason = SystemErrorText();
        ::unlink(temp.c_str());
        if (!out.backup.empty()) renameNoReplace(out.backup, path);
        out.backup.clear();
        return out;
    }
    out.status = CodePlugFileWrite::Status::Ok;
    return out;
}

}  // namespace km640
