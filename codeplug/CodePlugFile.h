#pragma once
// Code-plug files ("*.tbl"): exactly the 2048 bytes of the image, nothing else.

#include <filesystem>
#include <string>

#include "codeplug/CodePlugImage.h"

namespace km640 {

struct CodePlugFileRead {
    enum class Status { Ok, IoError, TooShort };
    Status status = Status::IoError;
    CodePlugImage::Bytes bytes{};  // the first 2048 bytes of the file when Ok
    std::string reason;            // what went wrong, for the message
};

// Reads a code-plug file. A file shorter than 2048 bytes is refused: the image
// must never take bytes from beyond the end of a file. A longer file gives its
// first 2048 bytes.
CodePlugFileRead ReadCodePlugFile(const std::filesystem::path& path);

struct CodePlugFileWrite {
    bool ok = false;
    std::string reason;  // why the file could not be written
};

// The backup name of a save name: its base name (no folder, no extension)
// followed by ".BAK", in the given folder.
std::filesystem::path BackupPathFor(const std::filesystem::path& saveName, const std::filesystem::path& folder);

// Writes the image to path without ever leaving a half-written code-plug
// behind: the bytes go to a temporary file in the same folder, which is
// flushed to disk and only then renamed into place. When the target already
// exists it is first moved to its backup name in backupFolder; a backup name
// that is already taken keeps the older backup (that rename fails quietly).
CodePlugFileWrite WriteCodePlugFile(const std::filesystem::path& path, const CodePlugImage& image,
                                    const std::filesystem::path& backupFolder);

}  // namespace km640
