#pragma once
// Code-plug files ("*.tbl"): exactly the 2048 bytes of the image, nothing else.

#include <filesystem>
#include <span>
#include <string>

#include "codeplug/CodePlugImage.h"

namespace km640 {

struct CodePlugFileRead {
    enum class Status {
        Ok,
        IoError,    // cannot be opened or read
        TooShort,   // fewer than 2048 bytes
        NotAFile,   // a directory, a named pipe, a device ...
    };
    Status status = Status::IoError;
    CodePlugImage::Bytes bytes{};  // the first 2048 bytes of the file when Ok
    std::string reason;            // what went wrong, for the message: the system's error or what the path is
};

// Reads a code-plug file. Anything but a regular file is refused without
// waiting on it. A file shorter than 2048 bytes is refused: the image must
// never take bytes from beyond the end of a file. A longer file gives its
// first 2048 bytes.
CodePlugFileRead ReadCodePlugFile(const std::filesystem::path& path);

struct CodePlugFileWrite {
    enum class Status {
        Ok,
        IoError,   // the file or its backup could not be written or renamed
        NotAFile,  // a directory, a named pipe ... holds the name; it is left as it was
    };
    Status status = Status::IoError;
    std::string reason;            // why the file could not be written
    std::filesystem::path backup;  // where the replaced file went; empty when none was replaced or kept
    bool ok() const { return status == Status::Ok; }
};

// The backup name of a save name: its base name (no folder, no extension)
// followed by ".BAK", in the given folder. number > 0 gives the further names
// NAME.1.BAK, NAME.2.BAK, ...
std::filesystem::path BackupPathFor(const std::filesystem::path& saveName, const std::filesystem::path& folder,
                                    int number = 0);

// Writes the image to path without ever leaving a half-written code-plug
// behind: the bytes go to a temporary file in the same folder, which is
// flushed to disk and only then renamed into place. No file is ever
// destroyed, by the window's Save as by the command line: a file already at
// path is first renamed to the first free name of NAME.BAK, NAME.1.BAK,
// NAME.2.BAK, ... in backupFolder, and when it cannot be kept nothing is
// written; nor is a file that turns up under the name meanwhile replaced.
// Anything but a regular file at path is refused and left alone.
CodePlugFileWrite WriteCodePlugFile(const std::filesystem::path& path, const CodePlugImage& image,
                                    const std::filesystem::path& backupFolder);
// The same for any bytes: a code-plug as text, say.
CodePlugFileWrite WriteFileKeepingBackup(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                         const std::filesystem::path& backupFolder);

}  // namespace km640
